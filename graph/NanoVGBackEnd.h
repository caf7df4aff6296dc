// NanoVG and its GL2 back end, compiled unmodified into the one translation
// unit that includes this (NanoVGExt.cpp, through the headers of its parts),
// so that the extended renderer reaches the back end's internals. Included
// nowhere else: a second copy would not link. nvgSave, nvgRestore, nvgReset
// and nvgBeginFrame are renamed while nanovg.c compiles (see NanoVGExt.cpp).
#pragma once

#include <GL/glew.h>

// Pictures reach the renderer decoded (LICE bitmaps); no stb_image.
#define NVG_NO_STB
#define nvgSave nvgSave_nanovg
#define nvgRestore nvgRestore_nanovg
#define nvgReset nvgReset_nanovg
#define nvgBeginFrame nvgBeginFrame_nanovg

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wclass-memaccess"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#include "nanovg.c" // NOLINT(bugprone-suspicious-include): NanoVG is compiled in this one unit
#define NANOVG_GL2_IMPLEMENTATION
#include "nanovg_gl.h"
#pragma GCC diagnostic pop

#undef nvgSave
#undef nvgRestore
#undef nvgReset
#undef nvgBeginFrame

extern "C" {
void nvgSave(NVGcontext* ctx);
void nvgRestore(NVGcontext* ctx);
void nvgReset(NVGcontext* ctx);
void nvgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio);
}
