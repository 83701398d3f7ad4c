// An in-memory host of the filter plug-in interface: holds one image and serves the
// module as a paint program would — FilterRecord, handle and buffer suites, advanceState
// delivering inData/outData/maskData for the rectangles, planes and padding asked for,
// progress and abort callbacks. Every suite and callback can be left out so that the
// module's fallbacks run. Used by the tests and by the `radiantix` command.
//
// The host talks to the module only through the entry point it is given, so the same host
// drives a statically linked module (tests) and a loaded module file (the command).
// One host runs a module at a time: the interface's callbacks carry no context, so the
// running host is kept in a process-wide pointer for the duration of each entry call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "host/types/plugin_api.h"

namespace rx {

// Image of 8 or 16 bits a sample, pixels interleaved: colour planes (1 grey or 3 RGB),
// then alpha when present. 16-bit samples are two bytes in the machine's order, 0..65535
// as this host hands them (a test may fill in 0..32768 as Photoshop's range). The mask,
// when not empty, is one byte per pixel (255 = fully selected).
struct HostImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t colourPlanes = 3;
    bool hasAlpha = false;
    int32_t depth = 8;  // bits a sample: 8 or 16
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> mask;

    static HostImage make(int32_t width, int32_t height, int32_t colourPlanes, bool alpha = false,
                          int32_t depth = 8);
    int32_t channels() const { return colourPlanes + (hasAlpha ? 1 : 0); }
    int32_t sampleBytes() const { return depth == 16 ? 2 : 1; }
    uint8_t* at(int32_t x, int32_t y) {
        return &pixels[(size_t(y) * width + x) * channels() * sampleBytes()];
    }
    const uint8_t* at(int32_t x, int32_t y) const {
        return &pixels[(size_t(y) * width + x) * channels() * sampleBytes()];
    }
};

struct MemoryHostOptions {
    // Switches: false leaves the suite or callback out (a null pointer in the record).
    bool handleProcs = true;
    bool bufferProcs = true;
    bool advanceState = true;
    bool progressProc = true;
    bool abortProc = true;
    bool displayPixels = true;
    // The host's colour picker: absent unless asked for, so that the module's own colour
    // dialog runs; tests of the host picker path switch it on with onColorServices set.
    bool colorServices = false;

    // samplingSupport as reported: 0 none, 1 integral rates (reduced copies for a preview).
    char samplingSupport = 1;

    // Version and count fields of the suites as the host reports them.
    int16_t handleProcsVersion = 1;
    int16_t handleProcsCount = 8;
    int16_t bufferProcsVersion = 2;
    int16_t bufferProcsCount = 8;

    // The alpha plane is handed to the module as an extra plane only when true.
    bool exposeAlpha = false;

    // A run reads its input from the image it writes instead of from a copy taken at start,
    // which saves a frame of memory and its copying. Hosts hand out an unchanged input;
    // this suits only a module that reads each pixel's input before it writes that pixel
    // and never reads rows it has written (inRect = outRect, band by band), as ours. No
    // effect with a selection.
    bool inputInPlace = false;

    // Extra bytes at the end of every delivered row, so that row bytes differ from the
    // width (catches modules that assume tightly packed rows).
    int32_t rowPadding = 0;

    // Allocation failures for -108 paths: the first N handle / buffer allocations
    // succeed, later ones fail. Negative = never fail.
    int failHandlesAfter = -1;
    int failBuffersAfter = -1;

    // Quirks of real hosts (docs/hosts.md), all off by default.
    bool sizeAnswersZero = false;      // getSizeProc answers 0 for every handle
    bool sizeProc = true;              // false: handleProcs without getSizeProc
    bool disposeFreesNothing = false;  // disposeProc leaves the handle allocated
    // runFilter starts each run without the previous run's `parameters` (the host
    // disposes of it) / with `data` back at 0 (a new session).
    bool keepParameters = true;
    bool keepSession = true;
    // When runFilter sends the parameters selector: when asked (its showDialog argument),
    // never, or on every run.
    enum class ParametersSelector { WhenAsked, Never, EveryRun };
    ParametersSelector parametersSelector = ParametersSelector::WhenAsked;
    // runFilter writes this rectangle into filterRect between prepare and start.
    bool moveFilterRectAfterPrepare = false;
    Rect filterRectAfterPrepare{0, 0, 0, 0};
    // The result code holds this value before every call instead of 0.
    int16_t resultBeforeCall = 0;

    // Host signature reported in hostSig.
    OSType hostSignature = fourCC('R', 'X', 'M', 'H');

    // Safety net against a module that never empties its rectangles.
    int64_t maxContinueCalls = 10'000'000;
};

// One recorded call of the progress procedure.
struct ProgressCall {
    int32_t done;
    int32_t total;
};

class MemoryHost {
public:
    explicit MemoryHost(HostImage image, MemoryHostOptions options = {});
    ~MemoryHost();
    MemoryHost(const MemoryHost&) = delete;
    MemoryHost& operator=(const MemoryHost&) = delete;

    HostImage& image() { return image_; }
    const HostImage& image() const { return image_; }
    MemoryHostOptions& options() { return options_; }

    // The area the filter works on; the whole image unless set. The mask (when present)
    // is read at image coordinates.
    void setFilterRect(const Rect& r);

    // User callbacks. Progress calls are also recorded in progressCalls().
    std::function<void(int32_t done, int32_t total)> onProgress;
    std::function<bool()> onAbort;  // true = the user asked to stop
    // Without onDisplayPixels the pixel map is drawn into the device context passed
    // (Windows; nothing elsewhere).
    std::function<OSErr(const PSPixelMap*, const VRect*, int32_t, int32_t, void*)> onDisplayPixels;
    std::function<OSErr(ColorServicesInfo*)> onColorServices;
    // Called after the prepare selector succeeded, before start: the place to change the
    // settings record (see parameters()) for this run.
    std::function<void(MemoryHost&)> afterPrepare;

    // One call of the entry point with the host's record, data and result. Returns the
    // result code. Selector 0 passes an AboutRecord.
    int16_t call(PluginEntryProc entry, int16_t selector);

    // A whole filter run: [parameters,] prepare, start, continue until the module empties
    // its rectangles, finish. Stops at the first nonzero result and returns it. The
    // quirk switches of the options shape the run.
    int16_t runFilter(PluginEntryProc entry, bool showDialog = false);

    // The host's `parameters` handle and the data it holds (null when none yet).
    Handle parametersHandle() const { return record_.parameters; }
    void* parameters() const { return record_.parameters ? *record_.parameters : nullptr; }
    // Starts a new host session: the `data` value goes back to 0 while the parameters
    // handle is kept (as a host does for the next session of the same filter).
    void newSession() { data_ = 0; }
    intptr_t sessionData() const { return data_; }

    FilterRecord& record() { return record_; }
    const std::vector<ProgressCall>& progressCalls() const { return progress_; }
    int64_t advanceStateCalls() const { return advanceCalls_; }
    int64_t continueCalls() const { return continueCalls_; }
    int64_t abortPolls() const { return abortPolls_; }
    int64_t displayPixelsCalls() const { return displayCalls_; }

    // Live host handles and buffers (the module's leaks show here).
    size_t liveHandles() const;
    // Handles made by newProc since the host was created, freed or not.
    int handlesAllocated() const;
    size_t liveBuffers() const;
    // True when h was made by this host's newProc (and not yet disposed).
    bool ownsHandle(Handle h) const;
    // Resizes a host handle as the host's setSizeProc does (false when locked or unknown).
    bool resizeHandle(Handle h, int32_t size);
    // Lock count of a host handle (0 for unknown handles).
    int32_t handleLocks(Handle h) const;

    // For the callbacks: the host running a module right now on the calling thread.
    static MemoryHost* active();

    // Makes a host the running one for as long as it lives, for tests and benchmarks that
    // call parts of the module directly with this host's record instead of the entry point.
    class ActiveScope {
    public:
        explicit ActiveScope(MemoryHost& host);
        ~ActiveScope();
        ActiveScope(const ActiveScope&) = delete;
        ActiveScope& operator=(const ActiveScope&) = delete;

    private:
        MemoryHost* previous_;
    };

    struct Impl;

private:
    HostImage image_;
    MemoryHostOptions options_;
    FilterRecord record_{};
    intptr_t data_ = 0;
    int16_t result_ = 0;
    std::vector<ProgressCall> progress_;
    int64_t advanceCalls_ = 0;
    int64_t continueCalls_ = 0;
    int64_t abortPolls_ = 0;
    int64_t displayCalls_ = 0;
    std::unique_ptr<Impl> impl_;

    void applySwitches();  // the options' switches into the record, before every call
    friend struct Impl;
};

}  // namespace rx
