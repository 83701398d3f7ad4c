// Structures and constants of the Photoshop filter plug-in interface (version 4.0 layout,
// with the later reserved tail so that records of current hosts fit).
//
// Written from the published field order; the offsets for x86 and x64 are pinned by
// static asserts at the bottom. FilterRecord is packed to 4 bytes on Windows as hosts
// lay it out; the procedure suites and small records use natural alignment.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define RX_CDECL __cdecl
#else
#define RX_CDECL
#endif

namespace rx {

using OSErr = int16_t;
using Boolean = uint8_t;
using Fixed = int32_t;
using OSType = uint32_t;
using Ptr = char*;
using Handle = char**;
using BufferID = struct BufferOpaque*;

// Four-character codes are stored as native little-endian 32-bit integers.
constexpr uint32_t fourCC(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
           (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d));
}

struct Point {
    int16_t v, h;
};
struct Rect {
    int16_t top, left, bottom, right;
};
struct VPoint {
    int32_t v, h;
};
struct VRect {
    int32_t top, left, bottom, right;
};
struct RGBColor {
    uint16_t red, green, blue;
};
using FilterColor = uint8_t[4];

struct PlugInMonitor {
    Fixed gamma;
    Fixed redX, redY, greenX, greenY, blueX, blueY;
    Fixed whiteX, whiteY;
    Fixed ambient;
};

struct PlatformData {
    intptr_t hwnd;
};

using TestAbortProc = Boolean(RX_CDECL*)();
using ProgressProc = void(RX_CDECL*)(int32_t done, int32_t total);
using AdvanceStateProc = OSErr(RX_CDECL*)();
using HostProc = void(RX_CDECL*)(int16_t selector, intptr_t* data);
using ProcessEventProc = void(RX_CDECL*)(void* event);
using GetPropertyProc = OSErr(RX_CDECL*)(OSType signature, OSType key, int32_t index,
                                         intptr_t* simpleProperty, Handle* complexProperty);

struct PSPixelMask {
    PSPixelMask* next;
    void* maskData;
    int32_t rowBytes;
    int32_t colBytes;
    int32_t maskDescription;
};

struct PSPixelMap {
    int32_t version;
    VRect bounds;
    int32_t imageMode;
    int32_t rowBytes;
    int32_t colBytes;
    int32_t planeBytes;
    void* baseAddr;
    // version 1
    void* mat;
    PSPixelMask* masks;
    int32_t maskPhaseRow;
    int32_t maskPhaseCol;
    // version 2
    void* pixelOverlays;
    uint32_t colorManagementOptions;
    // version 3
    int16_t depth;
};

using DisplayPixelsProc = OSErr(RX_CDECL*)(const PSPixelMap* source, const VRect* srcRect,
                                           int32_t dstRow, int32_t dstCol, void* platformContext);

struct ColorServicesInfo {
    int32_t infoSize;
    int16_t selector;
    int16_t sourceSpace;
    int16_t resultSpace;
    Boolean resultGamutInfoValid;
    Boolean resultInGamut;
    void* reservedSourceSpaceInfo;
    void* reservedResultSpaceInfo;
    int16_t colorComponents[4];
    void* reserved;
    union {
        unsigned char* pickerPrompt;  // Pascal string
        Point* globalSamplePoint;
        int32_t specialColorID;
    } selectorParameter;
};

using ColorServicesProc = OSErr(RX_CDECL*)(ColorServicesInfo* info);

struct HandleProcs {
    int16_t handleProcsVersion;
    int16_t numHandleProcs;
    Handle(RX_CDECL* newProc)(int32_t size);
    void(RX_CDECL* disposeProc)(Handle h);
    int32_t(RX_CDECL* getSizeProc)(Handle h);
    OSErr(RX_CDECL* setSizeProc)(Handle h, int32_t newSize);
    Ptr(RX_CDECL* lockProc)(Handle h, Boolean moveHigh);
    void(RX_CDECL* unlockProc)(Handle h);
    void(RX_CDECL* recoverSpaceProc)(int32_t size);
    void(RX_CDECL* disposeRegularHandleProc)(Handle h);
};

struct BufferProcs {
    int16_t bufferProcsVersion;
    int16_t numBufferProcs;
    OSErr(RX_CDECL* allocateProc)(int32_t size, BufferID* bufferID);
    Ptr(RX_CDECL* lockProc)(BufferID bufferID, Boolean moveHigh);
    void(RX_CDECL* unlockProc)(BufferID bufferID);
    void(RX_CDECL* freeProc)(BufferID bufferID);
    int32_t(RX_CDECL* spaceProc)();
    OSErr(RX_CDECL* reserveProc)(int32_t size);
    OSErr(RX_CDECL* allocateProc64)(int64_t size, BufferID* bufferID);
    int64_t(RX_CDECL* spaceProc64)();
};

struct AboutRecord {
    void* platformData;
    void* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

#pragma pack(push, 4)
struct FilterRecord {
    int32_t serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point imageSize;
    int16_t planes;
    Rect filterRect;
    RGBColor background;
    RGBColor foreground;
    int32_t maxSpace;
    int32_t bufferSpace;
    Rect inRect;
    int16_t inLoPlane;
    int16_t inHiPlane;
    Rect outRect;
    int16_t outLoPlane;
    int16_t outHiPlane;
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    int32_t maskRowBytes;
    FilterColor backColor;
    FilterColor foreColor;
    OSType hostSig;
    HostProc hostProc;
    int16_t imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    void* platformData;  // PlatformData*
    BufferProcs* bufferProcs;
    void* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    // 3.0
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    int16_t wantLayout;
    int16_t filterCase;
    int16_t dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    int16_t inputPadding;
    int16_t outputPadding;
    int16_t maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16_t inLayerPlanes, inTransparencyMask, inLayerMasks, inInvertedLayerMasks, inNonLayerPlanes;
    int16_t outLayerPlanes, outTransparencyMask, outLayerMasks, outInvertedLayerMasks,
        outNonLayerPlanes;
    int16_t absLayerPlanes, absTransparencyMask, absLayerMasks, absInvertedLayerMasks,
        absNonLayerPlanes;
    int16_t inPreDummyPlanes, inPostDummyPlanes, outPreDummyPlanes, outPostDummyPlanes;
    int32_t inColumnBytes, inPlaneBytes, outColumnBytes, outPlaneBytes;
    // 3.0.4
    void* imageServicesProcs;
    void* propertyProcs;
    int16_t inTileHeight, inTileWidth;
    Point inTileOrigin;
    int16_t absTileHeight, absTileWidth;
    Point absTileOrigin;
    int16_t outTileHeight, outTileWidth;
    Point outTileOrigin;
    int16_t maskTileHeight, maskTileWidth;
    Point maskTileOrigin;
    // 4.0
    void* descriptorParameters;
    void* errorString;
    void* channelPortProcs;
    void* documentInfo;
    // Later releases; a 4.0 module never reads these, but a host allocates them.
    void* sSPBasic;
    void* plugInRef;
    int32_t depth;
    Handle iCCprofileData;
    int32_t iCCprofileSize;
    int32_t canUseICCProfiles;
    int32_t hasImageScrap;
    void* bigDocumentData;
    void* input3DScene;
    void* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    int32_t iCCWorkingProfileSize;
    int64_t bufferSpace64;
    int64_t maxSpace64;
    Boolean allowOverrangeColors;
    char reserved[45];
};
#pragma pack(pop)

// Selectors.
enum : int16_t {
    filterSelectorAbout = 0,
    filterSelectorParameters = 1,
    filterSelectorPrepare = 2,
    filterSelectorStart = 3,
    filterSelectorContinue = 4,
    filterSelectorFinish = 5,
};

// Result codes.
enum : int16_t {
    noErr = 0,
    memFullErr = -108,
    userCanceledErr = -128,
    filterBadParameters = -30100,
};

constexpr int32_t kHandleProcsVersion = 1;
constexpr int32_t kBufferProcsVersion = 2;

enum : int16_t {
    plugInModeGrayScale = 1,
    plugInModeRGBColor = 3,
    plugInModeGray16 = 10,
    plugInModeRGB48 = 11,
};

// The entry point's signature.
using PluginEntryProc = void(RX_CDECL*)(int16_t selector, void* record, intptr_t* data,
                                        int16_t* result);

}  // namespace rx
