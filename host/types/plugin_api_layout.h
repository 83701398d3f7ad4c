// Layout checks of the interface structures against the offsets hosts use, for 32-bit
// (Windows x86) and 64-bit (Windows x64, and the native build) targets. Included by the
// entry point so that every build checks them.
#pragma once

#include <cstddef>

#include "host/types/plugin_api.h"

#define RX_AT(type, field, off32, off64)                                                 \
    static_assert(offsetof(rx::type, field) == (sizeof(void*) == 4 ? (off32) : (off64)), \
                  #type "::" #field " is not where hosts put it")
#define RX_SIZE(type, size32, size64)                                             \
    static_assert(sizeof(rx::type) == (sizeof(void*) == 4 ? (size32) : (size64)), \
                  "sizeof " #type " differs from hosts")

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32- or 64-bit targets only");
static_assert(sizeof(rx::Point) == 4 && sizeof(rx::Rect) == 8 && sizeof(rx::VRect) == 16, "");
static_assert(sizeof(rx::RGBColor) == 6 && sizeof(rx::PlugInMonitor) == 40, "");

RX_AT(FilterRecord, serialNumber, 0, 0);
RX_AT(FilterRecord, abortProc, 4, 4);
RX_AT(FilterRecord, progressProc, 8, 12);
RX_AT(FilterRecord, parameters, 12, 20);
RX_AT(FilterRecord, imageSize, 16, 28);
RX_AT(FilterRecord, planes, 20, 32);
RX_AT(FilterRecord, filterRect, 22, 34);
RX_AT(FilterRecord, background, 30, 42);
RX_AT(FilterRecord, foreground, 36, 48);
RX_AT(FilterRecord, maxSpace, 44, 56);
RX_AT(FilterRecord, bufferSpace, 48, 60);
RX_AT(FilterRecord, inRect, 52, 64);
RX_AT(FilterRecord, inLoPlane, 60, 72);
RX_AT(FilterRecord, inHiPlane, 62, 74);
RX_AT(FilterRecord, outRect, 64, 76);
RX_AT(FilterRecord, outLoPlane, 72, 84);
RX_AT(FilterRecord, outHiPlane, 74, 86);
RX_AT(FilterRecord, inData, 76, 88);
RX_AT(FilterRecord, inRowBytes, 80, 96);
RX_AT(FilterRecord, outData, 84, 100);
RX_AT(FilterRecord, outRowBytes, 88, 108);
RX_AT(FilterRecord, isFloating, 92, 112);
RX_AT(FilterRecord, haveMask, 93, 113);
RX_AT(FilterRecord, autoMask, 94, 114);
RX_AT(FilterRecord, maskRect, 96, 116);
RX_AT(FilterRecord, maskData, 104, 124);
RX_AT(FilterRecord, maskRowBytes, 108, 132);
RX_AT(FilterRecord, backColor, 112, 136);
RX_AT(FilterRecord, foreColor, 116, 140);
RX_AT(FilterRecord, hostSig, 120, 144);
RX_AT(FilterRecord, hostProc, 124, 148);
RX_AT(FilterRecord, imageMode, 128, 156);
RX_AT(FilterRecord, imageHRes, 132, 160);
RX_AT(FilterRecord, imageVRes, 136, 164);
RX_AT(FilterRecord, floatCoord, 140, 168);
RX_AT(FilterRecord, wholeSize, 144, 172);
RX_AT(FilterRecord, monitor, 148, 176);
RX_AT(FilterRecord, platformData, 188, 216);
RX_AT(FilterRecord, bufferProcs, 192, 224);
RX_AT(FilterRecord, resourceProcs, 196, 232);
RX_AT(FilterRecord, processEvent, 200, 240);
RX_AT(FilterRecord, displayPixels, 204, 248);
RX_AT(FilterRecord, handleProcs, 208, 256);
RX_AT(FilterRecord, supportsDummyChannels, 212, 264);
RX_AT(FilterRecord, supportsAlternateLayouts, 213, 265);
RX_AT(FilterRecord, wantLayout, 214, 266);
RX_AT(FilterRecord, filterCase, 216, 268);
RX_AT(FilterRecord, dummyPlaneValue, 218, 270);
RX_AT(FilterRecord, premiereHook, 220, 272);
RX_AT(FilterRecord, advanceState, 224, 280);
RX_AT(FilterRecord, supportsAbsolute, 228, 288);
RX_AT(FilterRecord, wantsAbsolute, 229, 289);
RX_AT(FilterRecord, getPropertyObsolete, 232, 292);
RX_AT(FilterRecord, cannotUndo, 236, 300);
RX_AT(FilterRecord, supportsPadding, 237, 301);
RX_AT(FilterRecord, inputPadding, 238, 302);
RX_AT(FilterRecord, outputPadding, 240, 304);
RX_AT(FilterRecord, maskPadding, 242, 306);
RX_AT(FilterRecord, samplingSupport, 244, 308);
RX_AT(FilterRecord, reservedByte, 245, 309);
RX_AT(FilterRecord, inputRate, 248, 312);
RX_AT(FilterRecord, maskRate, 252, 316);
RX_AT(FilterRecord, colorServices, 256, 320);
RX_AT(FilterRecord, inLayerPlanes, 260, 328);
RX_AT(FilterRecord, outLayerPlanes, 270, 338);
RX_AT(FilterRecord, absNonLayerPlanes, 288, 356);
RX_AT(FilterRecord, inPreDummyPlanes, 290, 358);
RX_AT(FilterRecord, outPostDummyPlanes, 296, 364);
RX_AT(FilterRecord, inColumnBytes, 300, 368);
RX_AT(FilterRecord, outPlaneBytes, 312, 380);
RX_AT(FilterRecord, imageServicesProcs, 316, 384);
RX_AT(FilterRecord, propertyProcs, 320, 392);
RX_AT(FilterRecord, inTileHeight, 324, 400);
RX_AT(FilterRecord, inTileOrigin, 328, 404);
RX_AT(FilterRecord, absTileHeight, 332, 408);
RX_AT(FilterRecord, outTileHeight, 340, 416);
RX_AT(FilterRecord, maskTileHeight, 348, 424);
RX_AT(FilterRecord, maskTileOrigin, 352, 428);
RX_AT(FilterRecord, descriptorParameters, 356, 432);
RX_AT(FilterRecord, errorString, 360, 440);
RX_AT(FilterRecord, channelPortProcs, 364, 448);
RX_AT(FilterRecord, documentInfo, 368, 456);
RX_AT(FilterRecord, sSPBasic, 372, 464);
RX_AT(FilterRecord, plugInRef, 376, 472);
RX_AT(FilterRecord, depth, 380, 480);
RX_AT(FilterRecord, iCCprofileData, 384, 484);
RX_AT(FilterRecord, iCCprofileSize, 388, 492);
RX_AT(FilterRecord, canUseICCProfiles, 392, 496);
RX_AT(FilterRecord, hasImageScrap, 396, 500);
RX_AT(FilterRecord, bigDocumentData, 400, 504);
RX_AT(FilterRecord, input3DScene, 404, 512);
RX_AT(FilterRecord, output3DScene, 408, 520);
RX_AT(FilterRecord, createNewLayer, 412, 528);
RX_AT(FilterRecord, iCCWorkingProfileData, 416, 532);
RX_AT(FilterRecord, iCCWorkingProfileSize, 420, 540);
RX_AT(FilterRecord, bufferSpace64, 424, 544);
RX_AT(FilterRecord, maxSpace64, 432, 552);
RX_AT(FilterRecord, allowOverrangeColors, 440, 560);
RX_AT(FilterRecord, reserved, 441, 561);
RX_SIZE(FilterRecord, 488, 608);

RX_AT(HandleProcs, handleProcsVersion, 0, 0);
RX_AT(HandleProcs, numHandleProcs, 2, 2);
RX_AT(HandleProcs, newProc, 4, 8);
RX_AT(HandleProcs, disposeProc, 8, 16);
RX_AT(HandleProcs, getSizeProc, 12, 24);
RX_AT(HandleProcs, setSizeProc, 16, 32);
RX_AT(HandleProcs, lockProc, 20, 40);
RX_AT(HandleProcs, unlockProc, 24, 48);
RX_AT(HandleProcs, recoverSpaceProc, 28, 56);
RX_AT(HandleProcs, disposeRegularHandleProc, 32, 64);
RX_SIZE(HandleProcs, 36, 72);

RX_AT(BufferProcs, bufferProcsVersion, 0, 0);
RX_AT(BufferProcs, numBufferProcs, 2, 2);
RX_AT(BufferProcs, allocateProc, 4, 8);
RX_AT(BufferProcs, lockProc, 8, 16);
RX_AT(BufferProcs, unlockProc, 12, 24);
RX_AT(BufferProcs, freeProc, 16, 32);
RX_AT(BufferProcs, spaceProc, 20, 40);
RX_AT(BufferProcs, reserveProc, 24, 48);
RX_AT(BufferProcs, allocateProc64, 28, 56);
RX_AT(BufferProcs, spaceProc64, 32, 64);
RX_SIZE(BufferProcs, 36, 72);

RX_AT(PSPixelMap, version, 0, 0);
RX_AT(PSPixelMap, bounds, 4, 4);
RX_AT(PSPixelMap, imageMode, 20, 20);
RX_AT(PSPixelMap, rowBytes, 24, 24);
RX_AT(PSPixelMap, colBytes, 28, 28);
RX_AT(PSPixelMap, planeBytes, 32, 32);
RX_AT(PSPixelMap, baseAddr, 36, 40);
RX_AT(PSPixelMap, mat, 40, 48);
RX_AT(PSPixelMap, masks, 44, 56);
RX_AT(PSPixelMap, maskPhaseRow, 48, 64);
RX_AT(PSPixelMap, maskPhaseCol, 52, 68);
RX_AT(PSPixelMap, pixelOverlays, 56, 72);
RX_AT(PSPixelMap, colorManagementOptions, 60, 80);
RX_AT(PSPixelMap, depth, 64, 84);
RX_SIZE(PSPixelMap, 68, 88);

RX_AT(PSPixelMask, next, 0, 0);
RX_AT(PSPixelMask, maskData, 4, 8);
RX_AT(PSPixelMask, rowBytes, 8, 16);
RX_AT(PSPixelMask, colBytes, 12, 20);
RX_AT(PSPixelMask, maskDescription, 16, 24);
RX_SIZE(PSPixelMask, 20, 32);

RX_AT(ColorServicesInfo, infoSize, 0, 0);
RX_AT(ColorServicesInfo, selector, 4, 4);
RX_AT(ColorServicesInfo, sourceSpace, 6, 6);
RX_AT(ColorServicesInfo, resultSpace, 8, 8);
RX_AT(ColorServicesInfo, resultGamutInfoValid, 10, 10);
RX_AT(ColorServicesInfo, resultInGamut, 11, 11);
RX_AT(ColorServicesInfo, reservedSourceSpaceInfo, 12, 16);
RX_AT(ColorServicesInfo, reservedResultSpaceInfo, 16, 24);
RX_AT(ColorServicesInfo, colorComponents, 20, 32);
RX_AT(ColorServicesInfo, reserved, 28, 40);
RX_AT(ColorServicesInfo, selectorParameter, 32, 48);
RX_SIZE(ColorServicesInfo, 36, 56);

RX_AT(AboutRecord, platformData, 0, 0);
RX_AT(AboutRecord, sSPBasic, 4, 8);
RX_AT(AboutRecord, plugInRef, 8, 16);
RX_AT(AboutRecord, reserved, 12, 24);
RX_SIZE(AboutRecord, 256, 272);

RX_SIZE(PlatformData, 4, 8);
static_assert(sizeof(intptr_t) == sizeof(void*), "data must hold a handle");

#undef RX_AT
#undef RX_SIZE
