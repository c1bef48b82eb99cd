# Outputs must match bit for bit across builds: IEEE binary64 everywhere, no
# fused multiply-add contraction, never fast-math. 32-bit x86 would otherwise
# compute in 80-bit x87 registers.
add_compile_options(-ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$" OR CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
