// OpenGL 1.1 and GLU for the portable editor code. The Windows headers need
// two calling-convention macros that windows.h would supply; defining them
// here keeps windows.h out of the portable core.
#pragma once

#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>
