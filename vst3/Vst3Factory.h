// The module's one factory: it names the vendor and the one audio module
// class, and makes instances of it.
#pragma once

#include "vst3/Vst3Abi.h"

namespace tarn::vst3 {

class Vst3Factory final : public IPluginFactory3 {
public:
    // The module-wide factory; each call hands the caller one reference.
    static Vst3Factory *shared();

    tresult TARN_VST3_API queryInterface(const TUID iid, void **obj) override;
    uint32 TARN_VST3_API addRef() override;
    uint32 TARN_VST3_API release() override;

    tresult TARN_VST3_API getFactoryInfo(PFactoryInfo *info) override;
    int32 TARN_VST3_API countClasses() override;
    tresult TARN_VST3_API getClassInfo(int32 index, PClassInfo *info) override;
    tresult TARN_VST3_API createInstance(FIDString cid, FIDString iid, void **obj) override;
    tresult TARN_VST3_API getClassInfo2(int32 index, PClassInfo2 *info) override;
    tresult TARN_VST3_API getClassInfoUnicode(int32 index, PClassInfoW *info) override;
    tresult TARN_VST3_API setHostContext(FUnknown *context) override;

private:
    Vst3Factory() = default;
};

}  // namespace tarn::vst3
