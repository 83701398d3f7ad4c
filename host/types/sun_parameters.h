// SunParameters: every setting of a sun plus the state that must survive between the
// host's calls. One fixed-size block that lives in the host's `parameters` handle, so the
// host keeps it from one run to the next.
#pragma once

#include <cstdint>

#include "host/types/plugin_api.h"

namespace rx {

struct RGB16 {
    uint16_t red, green, blue;
};

struct Vector3f {
    float x, y, z;
};

constexpr int kPresetFolderSize = 520;
constexpr int kPresetNameSize = 260;

// The first two words of every record the module makes: how it knows its own record when
// the host cannot say how large a handle is (some answer 0 from getSizeProc, some have no
// size procedure at all).
constexpr uint32_t kRecordSignature = fourCC('R', 'x', 'S', 'p');

struct SunParameters {
    uint32_t signature;   // kRecordSignature
    uint32_t recordSize;  // sizeof(SunParameters) of the build that made the record
    uint32_t dialogPending;
    // Dialog working fields.
    int32_t dragControl;
    uint8_t dragging;
    Point previousMouse;
    Point currentMouse;

    uint8_t hostPreview;
    Vector3f spikeVector;
    Vector3f flareVector;
    int32_t blendMode;
    int32_t previewScale;
    uint32_t previewRendering;
    uint32_t autoPreview;
    int32_t previewOriginH;
    int32_t previewOriginV;

    // The six colours, in this order.
    RGB16 sunColor;
    RGB16 flareColor;
    RGB16 haloColor;
    RGB16 haloColor2;
    RGB16 spikeColor;
    RGB16 extraColor;

    // The 29 numeric settings, in this order.
    int32_t spikeBrightness;
    int32_t spikeWidth;
    int32_t spikeRadius;
    int32_t spikeCount;
    int32_t sunRadius;
    int32_t sunColdHot;
    int32_t sunSmear;
    int32_t swirlSize;
    int32_t swirlCount;
    int32_t sunDetail;
    int32_t spikeGamma;
    int32_t vortices;
    int32_t monopoles;
    int32_t lightingMode;
    int32_t haloRadius;
    int32_t haloBrightness;
    int32_t bowRadius;
    int32_t bowWidth;
    int32_t bowBrightness;
    int32_t bowSmear;
    int32_t flareRadius;
    int32_t flareWidth;
    int32_t flareCount;
    int32_t masterBrightness;
    int32_t flareDetail;
    int32_t flareBrightness;
    int32_t bowInvert;
    int32_t spikeDiffraction;
    int32_t spikeDetail;

    int32_t sunCenterX;
    int32_t sunCenterY;

    int32_t seed;

    char presetFolder[kPresetFolderSize];
    char presetName[kPresetNameSize];
};

}  // namespace rx
