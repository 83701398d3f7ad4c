// Draws every picture of the settings dialog and the about box at the sizes the dialog
// lays them out, and writes them as the BMP, ICO and CUR files that resources/ compiles
// into the module. Text is set with FreeType in DejaVu Sans. Deterministic: the same
// fonts give the same bytes. Also writes the dialog template's control lines from the
// control model, so the resource and the code cannot disagree about ids.
//
//   make_artwork OUT_DIR RC_FILE FONT_REGULAR FONT_BOLD
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/control_model.h"

namespace {

struct Colour {
    int r, g, b;
};

struct Image {
    int w, h;
    std::vector<uint8_t> rgba;  // straight alpha
    Image(int width, int height, Colour c, int a = 255)
        : w(width), h(height), rgba(size_t(width) * height * 4) {
        for (int i = 0; i < w * h; ++i) {
            rgba[i * 4] = uint8_t(c.r);
            rgba[i * 4 + 1] = uint8_t(c.g);
            rgba[i * 4 + 2] = uint8_t(c.b);
            rgba[i * 4 + 3] = uint8_t(a);
        }
    }
    uint8_t* at(int x, int y) { return &rgba[(size_t(y) * w + x) * 4]; }
    void blend(int x, int y, Colour c, double a) {
        if (x < 0 || y < 0 || x >= w || y >= h || a <= 0) return;
        if (a > 1) a = 1;
        uint8_t* p = at(x, y);
        p[0] = uint8_t(std::lround(p[0] + (c.r - p[0]) * a));
        p[1] = uint8_t(std::lround(p[1] + (c.g - p[1]) * a));
        p[2] = uint8_t(std::lround(p[2] + (c.b - p[2]) * a));
        p[3] = uint8_t(std::max<int>(p[3], int(std::lround(255 * a))));
    }
    void set(int x, int y, Colour c, int a = 255) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint8_t* p = at(x, y);
        p[0] = uint8_t(c.r), p[1] = uint8_t(c.g), p[2] = uint8_t(c.b), p[3] = uint8_t(a);
    }
    void fill(int l, int t, int r, int b, Colour c) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) set(x, y, c);
    }
    void hline(int l, int r, int y, Colour c) { fill(l, y, r, y + 1, c); }
    void vline(int x, int t, int b, Colour c) { fill(x, t, x + 1, b, c); }
    void frame(int l, int t, int r, int b, Colour ul, Colour lr) {
        hline(l, r, t, ul);
        vline(l, t, b, ul);
        hline(l, r, b - 1, lr);
        vline(r - 1, t, b, lr);
    }
    // Antialiased filled disc.
    void disc(double cx, double cy, double radius, Colour c, double alpha = 1) {
        for (int y = int(cy - radius - 2); y <= int(cy + radius + 2); ++y)
            for (int x = int(cx - radius - 2); x <= int(cx + radius + 2); ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                blend(x, y, c, alpha * std::clamp(radius - d + 0.5, 0.0, 1.0));
            }
    }
    void ring(double cx, double cy, double radius, double width, Colour c, double alpha = 1) {
        for (int y = int(cy - radius - 3); y <= int(cy + radius + 3); ++y)
            for (int x = int(cx - radius - 3); x <= int(cx + radius + 3); ++x) {
                const double d = std::fabs(std::hypot(x + 0.5 - cx, y + 0.5 - cy) - radius);
                blend(x, y, c, alpha * std::clamp(width / 2 - d + 0.5, 0.0, 1.0));
            }
    }
    void line(double x0, double y0, double x1, double y1, double width, Colour c) {
        const double len = std::hypot(x1 - x0, y1 - y0);
        for (int y = int(std::min(y0, y1) - width - 1); y <= int(std::max(y0, y1) + width + 1); ++y)
            for (int x = int(std::min(x0, x1) - width - 1); x <= int(std::max(x0, x1) + width + 1);
                 ++x) {
                const double px = x + 0.5, py = y + 0.5;
                double t =
                    len > 0 ? ((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / (len * len) : 0;
                t = std::clamp(t, 0.0, 1.0);
                const double d = std::hypot(px - (x0 + t * (x1 - x0)), py - (y0 + t * (y1 - y0)));
                blend(x, y, c, std::clamp(width / 2 - d + 0.5, 0.0, 1.0));
            }
    }
    void paste(const Image& src, int x0, int y0) {
        for (int y = 0; y < src.h; ++y)
            for (int x = 0; x < src.w; ++x) {
                const uint8_t* p = &src.rgba[(size_t(y) * src.w + x) * 4];
                blend(x0 + x, y0 + y, {p[0], p[1], p[2]}, p[3] / 255.0);
            }
    }
};

Colour mix(Colour a, Colour b, double t) {
    return {int(std::lround(a.r + (b.r - a.r) * t)), int(std::lround(a.g + (b.g - a.g) * t)),
            int(std::lround(a.b + (b.b - a.b) * t))};
}

// ---------------------------------------------------------------------------------------
// Text

FT_Library gLibrary;
FT_Face gRegular, gBold;

int textWidth(FT_Face face, int px, const std::string& s) {
    FT_Set_Pixel_Sizes(face, 0, px);
    int w = 0;
    for (unsigned char ch : s) {
        FT_Load_Char(face, ch, FT_LOAD_DEFAULT);
        w += int(face->glyph->advance.x >> 6);
    }
    return w;
}

// Draws s with its baseline at y; returns the pen position after it.
int text(Image& img, FT_Face face, int px, int x, int baseline, const std::string& s, Colour c) {
    FT_Set_Pixel_Sizes(face, 0, px);
    for (unsigned char ch : s) {
        FT_Load_Char(face, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT);
        const FT_GlyphSlot g = face->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; ++row)
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const int a = g->bitmap.buffer[row * g->bitmap.pitch + col];
                img.blend(x + g->bitmap_left + int(col), baseline - g->bitmap_top + int(row), c,
                          a / 255.0);
            }
        x += int(g->advance.x >> 6);
    }
    return x;
}

// ---------------------------------------------------------------------------------------
// Files

void put16(std::vector<uint8_t>& v, int x) {
    v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, int(x & 0xFFFF)), put16(v, int(x >> 16));
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> dibBits(const Image& img, bool alpha) {
    std::vector<uint8_t> v;
    const int bpp = alpha ? 4 : 3;
    const int stride = (img.w * bpp + 3) & ~3;
    for (int y = img.h - 1; y >= 0; --y) {
        const size_t start = v.size();
        for (int x = 0; x < img.w; ++x) {
            const uint8_t* p = &img.rgba[(size_t(y) * img.w + x) * 4];
            v.push_back(p[2]), v.push_back(p[1]), v.push_back(p[0]);
            if (alpha) v.push_back(p[3]);
        }
        while (int(v.size() - start) < stride) v.push_back(0);
    }
    return v;
}

void infoHeader(std::vector<uint8_t>& v, int w, int h, int bpp, uint32_t imageSize) {
    put32(v, 40), put32(v, uint32_t(w)), put32(v, uint32_t(h)), put16(v, 1), put16(v, bpp);
    put32(v, 0), put32(v, imageSize), put32(v, 2835), put32(v, 2835), put32(v, 0), put32(v, 0);
}

bool writeBmp(const std::string& path, const Image& img) {
    const std::vector<uint8_t> bits = dibBits(img, false);
    std::vector<uint8_t> v{'B', 'M'};
    put32(v, uint32_t(54 + bits.size())), put32(v, 0), put32(v, 54);
    infoHeader(v, img.w, img.h, 24, uint32_t(bits.size()));
    v.insert(v.end(), bits.begin(), bits.end());
    return writeFile(path, v);
}

// Icon (type 1) or cursor (type 2, with its hot spot): one 32-bit image with its mask.
bool writeIcon(const std::string& path, const Image& img, int type, int hotX = 0, int hotY = 0) {
    std::vector<uint8_t> image;
    const std::vector<uint8_t> bits = dibBits(img, true);
    const int maskStride = ((img.w + 31) / 32) * 4;
    infoHeader(image, img.w, img.h * 2, 32, uint32_t(bits.size() + size_t(maskStride) * img.h));
    image.insert(image.end(), bits.begin(), bits.end());
    for (int y = img.h - 1; y >= 0; --y)
        for (int b = 0; b < maskStride; ++b) {
            uint8_t m = 0;
            for (int k = 0; k < 8; ++k) {
                const int x = b * 8 + k;
                if (x < img.w && img.rgba[(size_t(y) * img.w + x) * 4 + 3] < 128)
                    m |= uint8_t(0x80 >> k);
                if (x >= img.w) m |= uint8_t(0x80 >> k);
            }
            image.push_back(m);
        }
    std::vector<uint8_t> v;
    put16(v, 0), put16(v, type), put16(v, 1);
    v.push_back(uint8_t(img.w)), v.push_back(uint8_t(img.h)), v.push_back(0), v.push_back(0);
    put16(v, type == 1 ? 1 : hotX), put16(v, type == 1 ? 32 : hotY);
    put32(v, uint32_t(image.size())), put32(v, 22);
    v.insert(v.end(), image.begin(), image.end());
    return writeFile(path, v);
}

// ---------------------------------------------------------------------------------------
// The look

const Colour kWindow{228, 229, 232};
const Colour kPanel{242, 242, 244};
const Colour kPanelEdge{196, 198, 204};
const Colour kInk{32, 34, 40};
const Colour kMuted{110, 114, 124};
const Colour kCoolAccent{72, 104, 176};
const Colour kWarmAccent{206, 140, 28};
const Colour kFace{222, 222, 222};
const Colour kWhite{255, 255, 255};

void panel(Image& img, int l, int t, int r, int b, const std::string& heading, Colour accent) {
    img.fill(l, t, r, b, kPanel);
    img.frame(l, t, r, b, kPanelEdge, kPanelEdge);
    img.fill(l + 1, t + 1, l + 4, t + 15, accent);
    text(img, gBold, 11, l + 8, t + 12, heading, kInk);
    const int after = l + 8 + textWidth(gBold, 11, heading) + 6;
    for (int x = after; x < r - 6; ++x) img.blend(x, t + 8, accent, 0.35);
}

Image background() {
    using namespace rx::ui;
    Image img(kClientWidth, kClientHeight, kWindow);
    // Subtle vertical gradient on the window.
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            img.set(x, y, mix({236, 237, 240}, {220, 221, 225}, y / double(img.h)));
    panel(img, 4, 2, 398, 133, "Sun", kCoolAccent);
    panel(img, 4, 136, 398, 247, "Flares", kWarmAccent);
    panel(img, 4, 250, 398, 399, "Spikes", kCoolAccent);
    panel(img, 4, 402, 398, 457, "Halo", kWarmAccent);
    panel(img, 404, 308, 703, 399, "Bow", kWarmAccent);
    panel(img, 404, 402, 703, 457, "Master brightness", kCoolAccent);
    // Small captions for the controls that have no label of their own.
    text(img, gRegular, 10, 325, 64, "Lighting", kMuted);
    const int invertW = textWidth(gRegular, 10, "Invert");
    text(img, gRegular, 10, 680 - invertW / 2, 320, "Invert", kMuted);
    const int blendW = textWidth(gRegular, 10, "Blend");
    text(img, gRegular, 10, 678 - blendW / 2, 414, "Blend", kMuted);
    text(img, gRegular, 10, 320, 148, "Direction", kMuted);
    text(img, gRegular, 10, 320, 262, "Direction", kMuted);
    // Preview: white, with a hairline frame; the zoom row below it; the status line.
    img.fill(401, 0, 707, 253, kWhite);
    img.hline(401, 707, 253, kPanelEdge);
    img.vline(400, 0, 254, kPanelEdge);
    panel(img, 404, 258, 703, 286, "", kCoolAccent);
    text(img, gRegular, 10, 416, 279, "Zoom", kMuted);
    img.fill(404, 289, 703, 306, {250, 250, 251});
    img.frame(404, 289, 703, 306, kPanelEdge, kWhite);
    // Footer with the command buttons and the product's name.
    img.hline(0, img.w, 464, kPanelEdge);
    img.hline(0, img.w, 465, kWhite);
    const std::string name = "Radiantix";
    const int nameW = textWidth(gBold, 15, name);
    text(img, gBold, 15, 489 - nameW / 2, 493, name, {150, 154, 164});
    img.disc(489 - nameW / 2 - 12, 488, 5, kWarmAccent);
    return img;
}

Image track(Colour accent) {
    Image img(135, 12, kPanel);
    // The groove: thumb centres run from x = 7 to x = 127.
    for (int x = 3; x < 132; ++x) {
        const double t = (x - 3) / 129.0;
        const Colour fillc = mix(mix(accent, kWhite, 0.55), accent, t);
        img.set(x, 4, mix(kMuted, kPanel, 0.2));
        img.set(x, 5, fillc), img.set(x, 6, fillc);
        img.set(x, 7, kWhite);
    }
    img.vline(2, 4, 8, kMuted), img.vline(132, 4, 8, mix(kMuted, kWhite, 0.5));
    for (int k = 0; k <= 10; ++k) {
        const int x = 7 + 12 * k;
        img.vline(x, 9, k % 5 == 0 ? 12 : 11, mix(kMuted, kPanel, 0.3));
    }
    return img;
}

Image thumb(bool enabled) {
    Image img(12, 10, kPanel);
    const Colour top = enabled ? Colour{252, 252, 253} : Colour{236, 236, 238};
    const Colour bottom = enabled ? Colour{196, 200, 210} : Colour{214, 214, 216};
    for (int y = 0; y < 10; ++y) img.fill(0, y, 12, y + 1, mix(top, bottom, y / 9.0));
    const Colour edge = enabled ? Colour{70, 74, 84} : Colour{160, 160, 164};
    img.frame(0, 0, 12, 10, edge, edge);
    img.set(0, 0, kPanel), img.set(11, 0, kPanel), img.set(0, 9, kPanel), img.set(11, 9, kPanel);
    img.hline(1, 11, 1, kWhite);
    const Colour grip = enabled ? Colour{90, 96, 110} : Colour{180, 180, 184};
    img.vline(4, 3, 7, grip), img.vline(7, 3, 7, grip);
    img.vline(5, 3, 7, kWhite), img.vline(8, 3, 7, kWhite);
    return img;
}

// A toggle picture: 7 x 7 inside, then the light right and lower edges of the frames the
// dialog draws, then the panel.
Image toggle(bool on, bool pressed) {
    Image img(10, 10, kPanel);
    img.fill(0, 0, 7, 7, pressed ? Colour{200, 202, 208} : kWhite);
    img.vline(7, 0, 8, kWhite), img.hline(0, 8, 7, kWhite);
    img.vline(8, 0, 9, {240, 240, 240}), img.hline(0, 9, 8, {240, 240, 240});
    if (on) {
        const Colour c = pressed ? Colour{40, 50, 90} : Colour{30, 60, 150};
        img.line(0.8, 3.5, 2.8, 5.6, 1.5, c);
        img.line(2.8, 5.6, 6.2, 1.2, 1.5, c);
    }
    return img;
}

Image pad(Colour accent) {
    Image img(85, 85, kPanel);
    const Colour dark{34, 38, 48};
    for (int y = 0; y < 85; ++y)
        for (int x = 0; x < 85; ++x) {
            const double d = std::hypot(x - 42.0, y - 41.0);
            img.set(x, y, mix(Colour{52, 58, 72}, dark, std::min(1.0, d / 60)));
        }
    img.frame(0, 0, 85, 85, {110, 114, 124}, {250, 250, 252});
    img.hline(4, 81, 41, {70, 76, 92});
    img.vline(42, 4, 81, {70, 76, 92});
    img.ring(42.5, 41.5, 33, 1.2, mix(accent, dark, 0.35));
    img.ring(42.5, 41.5, 16.5, 1, {70, 76, 92});
    return img;
}

Image knobIcon() {
    Image img(16, 16, {0, 0, 0}, 0);
    img.disc(2.5, 2.5, 2.6, {20, 20, 24});
    img.disc(2.5, 2.5, 1.7, kWhite);
    return img;
}

Image checkIcon() {
    Image img(16, 16, {0, 0, 0}, 0);
    img.line(0.8, 3.8, 2.8, 6.0, 1.6, kInk);
    img.line(2.8, 6.0, 7.0, 0.8, 1.6, kInk);
    return img;
}

Image grabCursor() {
    Image img(32, 32, {0, 0, 0}, 0);
    auto arrows = [&](Colour c, double w) {
        img.line(16, 3, 16, 29, w, c);
        img.line(3, 16, 29, 16, w, c);
        for (int s : {-1, 1}) {
            img.line(16, 16 + s * 13, 12, 16 + s * 9, w, c),
                img.line(16, 16 + s * 13, 20, 16 + s * 9, w, c);
            img.line(16 + s * 13, 16, 16 + s * 9, 12, w, c),
                img.line(16 + s * 13, 16, 16 + s * 9, 20, w, c);
        }
    };
    arrows(kWhite, 4.0);
    arrows({0, 0, 0}, 1.6);
    for (auto& v : img.rgba) (void)v;
    // Hard alpha: the cursor's mask is one bit.
    for (int i = 0; i < img.w * img.h; ++i)
        img.rgba[i * 4 + 3] = img.rgba[i * 4 + 3] >= 100 ? 255 : 0;
    return img;
}

// A small sun: glow, core and four rays.
void sun(Image& img, double cx, double cy, double r, double glow) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            img.blend(x, y, {255, 214, 120}, glow * std::exp(-d / (r * 1.6)));
        }
    img.disc(cx, cy, r, {255, 246, 214});
    img.disc(cx, cy, r * 0.6, kWhite);
}

// Mode pictures: a sun over a landscape square, blended the way the mode blends.
Image blendPicture(int mode) {
    Image img(32, 32, kPanel);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int base[3] = {40 + x * 4, 70 + y * 3, 150 - y * 2};
            const double d = std::hypot(x - 15.5, y - 14.5);
            const double s = std::clamp(1.4 - d / 8.0, 0.0, 1.0);
            const int sunc[3] = {int(255 * s), int(220 * s), int(140 * s)};
            int out[3];
            for (int c = 0; c < 3; ++c) {
                const int a = base[c], b = sunc[c];
                switch (mode) {
                    case 2: out[c] = std::min(255, a + b / 2); break;
                    case 3: out[c] = std::max(0, a - b / 2); break;
                    case 4: out[c] = std::abs(a - b); break;
                    case 5: out[c] = std::max(a, b); break;
                    case 6: out[c] = b > 20 ? std::min(a, b) : a; break;
                    case 7: out[c] = std::min(255, a + b); break;
                    case 8: out[c] = std::max(0, a - b); break;
                    case 9: out[c] = b > 20 ? a * b / 255 : a; break;
                    case 10: out[c] = 255 - (255 - a) * (255 - b) / 255; break;
                    case 11: out[c] = int(a * (1 - s) + b * s); break;
                    default: out[c] = s > 0 ? int(a * (1 - s) + 255 * s) : a; break;
                }
            }
            img.set(x, y, {out[0], out[1], out[2]});
        }
    img.frame(0, 0, 32, 32, {60, 64, 74}, {60, 64, 74});
    return img;
}

Image lightingPicture(int mode) {
    Image img(32, 32, {18, 22, 34});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double dx = (x + 0.5 - 16) / 11, dy = (y + 0.5 - 16) / 11;
            const double d2 = dx * dx + dy * dy;
            if (mode == 3) {
                const double d = std::sqrt(d2);
                img.blend(x, y, {255, 200, 120},
                          std::clamp(1.2 - std::fabs(d - 1.0) * 2.2, 0.0, 1.0));
                if (d < 0.92) img.set(x, y, {10, 10, 14});
            } else if (d2 < 1) {
                const double z = std::sqrt(1 - d2);
                const double light =
                    mode == 2 ? 1.0
                              : std::clamp(0.35 + 0.65 * (z * 0.8 - dx * 0.3 - dy * 0.3), 0.0, 1.0);
                img.set(x, y, mix({120, 50, 10}, {255, 236, 170}, light));
            }
        }
    img.frame(0, 0, 32, 32, {60, 64, 74}, {60, 64, 74});
    return img;
}

Image buttonPicture(int w, int h, const std::string& label, int icon) {
    Image img(w, h, kFace);
    const int tw = textWidth(gBold, 11, label);
    int x = (w - tw - (icon ? 13 : 0)) / 2;
    const int base = h / 2 + 4;
    if (icon == 1) {  // a die
        img.fill(x, h / 2 - 5, x + 10, h / 2 + 5, kWhite);
        img.frame(x, h / 2 - 5, x + 10, h / 2 + 5, {60, 64, 74}, {60, 64, 74});
        for (auto [px, py] : {std::pair{2.5, 2.5}, {7.5, 7.5}, {5.0, 5.0}})
            img.disc(x + px, h / 2 - 5 + py, 1.1, kInk);
        x += 13;
    } else if (icon == 2) {  // a seed of light
        sun(img, x + 5, h / 2.0, 2.2, 0.5);
        x += 13;
    }
    const int end = text(img, gBold, 11, x, base, label, kInk);
    (void)end;
    // The mnemonic: the first letter underlined.
    const int first = textWidth(gBold, 11, label.substr(0, 1));
    img.hline(x, x + first, base + 2, kInk);
    return img;
}

Image aboutLogo() {  // 110 x 15
    Image img(110, 15, kWhite);
    text(img, gBold, 13, 0, 12, "RADIANTIX", kInk);
    return img;
}

Image aboutIcon() {  // 21 x 21
    Image img(21, 21, kWhite);
    for (int k = 0; k < 8; ++k) {
        const double a = k * M_PI / 4;
        img.line(10.5 + std::cos(a) * 5, 10.5 + std::sin(a) * 5, 10.5 + std::cos(a) * 9.5,
                 10.5 + std::sin(a) * 9.5, 1.4, kWarmAccent);
    }
    img.disc(10.5, 10.5, 4.6, {250, 190, 60});
    return img;
}

Image aboutBanner() {  // 303 x 75
    Image img(303, 75, {0, 0, 0});
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 303; ++x)
            img.set(x, y, mix({16, 22, 48}, {70, 40, 60}, (x + y * 2) / 450.0));
    sun(img, 56, 37, 13, 0.9);
    for (int k = 0; k < 12; ++k) {
        const double a = k * M_PI / 6 + 0.2;
        img.line(56, 37, 56 + std::cos(a) * 40, 37 + std::sin(a) * 40, 1.0, {255, 230, 180});
    }
    img.ring(56, 37, 26, 2.0, {180, 120, 255}, 0.35);
    text(img, gBold, 30, 110, 44, "Radiantix", kWhite);
    text(img, gRegular, 11, 112, 62, "procedural suns for your images", {210, 214, 230});
    return img;
}

Image aboutText() {  // 261 x 192
    Image img(261, 192, kWhite);
    const char* lines[] = {
        "Radiantix paints a sun into your image:",
        "a granulated core with swirls, a halo,",
        "flare streaks, spikes with diffraction",
        "fringes and a rainbow bow.",
        "",
        "Every setting is in one dialog, with a",
        "live preview that can be zoomed and",
        "panned; a click places the sun.",
        "",
        "Presets are saved as .q4q files; the",
        "last settings are kept for next time.",
        "",
        "Version 1.0   \xa9 Tallow Forge",
    };
    int y = 14;
    for (const char* l : lines) {
        text(img, gRegular, 11, 4, y, l, kInk);
        y += 14;
    }
    return img;
}

// ---------------------------------------------------------------------------------------
// Dialog template lines from the control model

std::string dialogControls() {
    using namespace rx::ui;
    std::string out;
    char line[256];
    // Pixels to dialog units of an 8-point MS Sans Serif dialog (6 x 13 base units).
    auto du = [&](const PixelRect& r, int* x, int* y, int* w, int* h) {
        *x = r.left * 2 / 3, *y = r.top * 8 / 13;
        *w = std::max(1, r.width() * 2 / 3), *h = std::max(1, r.height() * 8 / 13);
    };
    struct Button {
        int id;
        const char* caption;
        const char* style;
    };
    const Button buttons[] = {
        {idOk, "&OK", "BS_DEFPUSHBUTTON | BS_NOTIFY | WS_TABSTOP"},
        {idCancel, "&Cancel", "BS_OWNERDRAW | WS_TABSTOP"},
        {idLoad, "&Load", "BS_OWNERDRAW"},
        {idSave, "&Save", "BS_OWNERDRAW"},
        {idDice, "&Dice", "BS_OWNERDRAW"},
        {idEcce, "&Ecce", "BS_OWNERDRAW"},
        {idZoomOut, "-", "BS_OWNERDRAW | WS_TABSTOP"},
        {idZoomReset, "%", "BS_OWNERDRAW"},
        {idZoomIn, "+", "BS_OWNERDRAW | WS_TABSTOP"},
        {idSunSwatch, "&clr", "BS_OWNERDRAW"},
        {idFlareSwatch, "&clr", "BS_OWNERDRAW"},
        {idHaloSwatch, "&clr", "BS_OWNERDRAW"},
        {idSpikeSwatch, "&clr", "BS_OWNERDRAW"},
    };
    for (const Button& b : buttons) {
        PixelRect r;
        layoutRect(b.id, &r);
        int x, y, w, h;
        du(r, &x, &y, &w, &h);
        std::snprintf(line, sizeof line, "    CONTROL \"%s\", %d, \"Button\", %s, %d, %d, %d, %d\n",
                      b.caption, b.id, b.style, x, y, w, h);
        out += line;
    }
    for (int id = 1; id <= 115; ++id) {
        bool isButton = false;
        for (const Button& b : buttons) isButton |= b.id == id;
        PixelRect r;
        if (isButton || !layoutRect(id, &r)) continue;
        int x, y, w, h;
        du(r, &x, &y, &w, &h);
        std::snprintf(
            line, sizeof line,
            "    CONTROL \"\", %d, \"Static\", SS_LEFT | NOT WS_VISIBLE, %d, %d, %d, %d\n", id, x,
            y, w, h);
        out += line;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_artwork OUT_DIR RC_FILE FONT_REGULAR FONT_BOLD\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (FT_Init_FreeType(&gLibrary) || FT_New_Face(gLibrary, argv[3], 0, &gRegular) ||
        FT_New_Face(gLibrary, argv[4], 0, &gBold)) {
        std::fprintf(stderr, "make_artwork: cannot load the fonts\n");
        return 1;
    }
    bool ok = true;
    auto bmp = [&](const char* name, const Image& img) { ok &= writeBmp(dir + "/" + name, img); };
    bmp("background.bmp", background());
    bmp("track_cool.bmp", track(kCoolAccent));
    bmp("track_warm.bmp", track(kWarmAccent));
    bmp("thumb.bmp", thumb(true));
    bmp("thumb_disabled.bmp", thumb(false));
    bmp("toggle_off.bmp", toggle(false, false));
    bmp("toggle_off_pressed.bmp", toggle(false, true));
    bmp("toggle_on.bmp", toggle(true, false));
    bmp("toggle_on_pressed.bmp", toggle(true, true));
    bmp("pad_spikes.bmp", pad(kCoolAccent));
    bmp("pad_flares.bmp", pad(kWarmAccent));
    bmp("button_load.bmp", buttonPicture(39, 16, "Load", 0));
    bmp("button_save.bmp", buttonPicture(39, 16, "Save", 0));
    bmp("button_dice.bmp", buttonPicture(36, 19, "Dice", 1));
    bmp("button_ecce.bmp", buttonPicture(36, 19, "Ecce", 2));
    for (int mode = 1; mode <= 11; ++mode) {
        char name[32];
        std::snprintf(name, sizeof name, "blend_%02d.bmp", mode);
        bmp(name, blendPicture(mode));
    }
    for (int mode = 1; mode <= 3; ++mode) {
        char name[32];
        std::snprintf(name, sizeof name, "lighting_%d.bmp", mode);
        bmp(name, lightingPicture(mode));
    }
    bmp("about_logo.bmp", aboutLogo());
    bmp("about_icon.bmp", aboutIcon());
    bmp("about_banner.bmp", aboutBanner());
    bmp("about_text.bmp", aboutText());
    ok &= writeIcon(dir + "/knob.ico", knobIcon(), 1);
    ok &= writeIcon(dir + "/check.ico", checkIcon(), 1);
    ok &= writeIcon(dir + "/grab.cur", grabCursor(), 2, 16, 16);

    const std::string rc =
        "// Generated by tools/artwork/make_artwork from the control model; do not edit.\n" +
        dialogControls();
    FILE* f = std::fopen(argv[2], "wb");
    ok &= f && std::fwrite(rc.data(), 1, rc.size(), f) == rc.size();
    if (f) std::fclose(f);
    if (!ok) std::fprintf(stderr, "make_artwork: cannot write the output\n");
    return ok ? 0 : 1;
}
