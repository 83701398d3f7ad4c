#include "render/table_dump.h"

#include <cstdio>

#include "render/noise.h"

namespace rx {

namespace {

class JsonWriter {
public:
    void key(const char* name) {
        separate();
        out_ += '"';
        out_ += name;
        out_ += "\":";
        first_ = true;  // the value follows without a comma
    }
    void value(int32_t v) { value(static_cast<long long>(v)); }
    void value(long long v) {
        separate();
        out_ += std::to_string(v);
    }
    void value(float v) {
        separate();
        // Nine significant digits identify a float exactly.
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
        out_ += buf;
    }
    template <typename T>
    void array(const T* values, int count) {
        separate();
        out_ += '[';
        for (int i = 0; i < count; ++i) {
            if (i) out_ += ',';
            out_ += std::to_string(static_cast<long long>(values[i]));
        }
        out_ += ']';
    }
    template <typename T>
    void channels(const T (&values)[3][256], int count) {
        channels(values[0], values[1], values[2], count);
    }
    template <typename T>
    void channels(const T* r, const T* g, const T* b, int count) {
        open('{');
        key("R");
        array(r, count);
        key("G");
        array(g, count);
        key("B");
        array(b, count);
        close('}');
    }
    void open(char c) {
        separate();
        out_ += c;
        first_ = true;
    }
    void close(char c) {
        out_ += c;
        first_ = false;
    }
    std::string take() { return std::move(out_); }

private:
    void separate() {
        if (!first_) out_ += ',';
        first_ = false;
    }
    std::string out_;
    bool first_ = true;
};

}  // namespace

std::string dumpRenderTables(const SunTables& t) {
    JsonWriter j;
    j.open('{');
    j.key("haloRamp");
    j.channels(t.haloRamp, 256);
    j.key("flareRamp");
    j.channels(t.flareRamp, 256);
    j.key("sunRamp");
    j.channels(t.sunRamp, 256);
    j.key("spikeRamp");
    j.channels(t.spikeRamp[0], t.spikeRamp[1], t.spikeRamp[2], 600);
    j.key("ringRamp");
    j.channels(t.ringRamp[0], t.ringRamp[1], t.ringRamp[2], 201);
    j.key("spikeProfile");
    j.array(t.spikeProfile, 301);
    j.key("spikeLines");
    j.open('{');
    j.key("a");
    j.array(t.spikeLines.a, 255);
    j.key("b");
    j.array(t.spikeLines.b, 255);
    j.key("c");
    j.array(t.spikeLines.c, 255);
    j.key("e");
    j.array(t.spikeLines.e, 255);
    j.close('}');
    j.key("flareAngles");
    j.array(t.flareAngles, 101);
    j.key("lensTable");
    {
        // Entries 0..lensLast, as the signed 16-bit values the compositor reads.
        int last = t.lensLast;
        if (!t.lensTable) last = -1;
        if (last > t.lensCapacity - 1) last = t.lensCapacity - 1;
        j.open('[');
        for (int i = 0; i <= last; ++i)
            j.value(static_cast<long long>(static_cast<int16_t>(t.lensTable[i])));
        j.close(']');
    }
    j.key("lensLast");
    j.value(t.lensLast);
    j.key("cellWeights");
    j.array(t.cellWeights, kCellWeightEntries);
    j.key("noiseTable");
    j.array(t.noiseTable, kNoiseEntries);
    j.key("noiseSource");
    j.array(noiseSource, kNoiseEntries);
    j.key("swirlCenterH");
    j.array(t.swirlCenterH, 100);
    j.key("swirlCenterV");
    j.array(t.swirlCenterV, 100);
    j.key("spikeAngle");
    j.value(t.spikeAngle);
    j.key("flareAngle");
    j.value(t.flareAngle);
    j.key("spikeSpread");
    j.value(t.spikeSpread);
    j.key("flareSpread");
    j.value(t.flareSpread);
    j.key("smearStep");
    j.value(t.smearStep);
    j.key("swirlReach");
    j.value(t.swirlReach);
    j.key("swirlForce");
    j.value(t.swirlForce);
    j.key("surfaceOctaves");
    j.value(t.surfaceOctaves);
    j.close('}');
    return j.take();
}

}  // namespace rx
