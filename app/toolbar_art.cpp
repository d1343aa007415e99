/*
 * toolbar_art.cpp: the toolbar's pictures at the size the display asks for.
 *
 * The strip is drawn for 96 DPI, 16 x 16 pixels an image, on a light gray
 * that stands for "no picture here". At 192 DPI every pixel simply becomes
 * a 2 x 2 block. At scales in between (120, 144 DPI) each new pixel takes
 * the average colour of the drawn pixels it covers, weighted by how much
 * of each it covers, so lines keep their weight instead of doubling every
 * other pixel. Edges stay hard: a new pixel is opaque when at least half
 * of it lies on the drawing, so no half-transparent fringe depends on how
 * the system blends it.
 */
#include "app/app.h"
#include "settings/settings.h"

/* The colour the strip is drawn on; it becomes transparent. */
const uint32_t ToolbarBackgroundColour = 0xC0C0C0;

int ToolbarImageSize(int dpi) {
    int size = ScaleForDpi(ToolbarArtSize, dpi);
    if (size < ToolbarArtSize)
        return ToolbarArtSize;
    return size > MaxToolbarImageSize ? MaxToolbarImageSize : size;
}

int ToolbarButtonSize(int dpi) {
    return ToolbarImageSize(dpi) + ScaleForDpi(2, dpi < 96 ? 96 : dpi);
}

/* How much of source pixel s (of ToolbarArtSize) the new pixel d (of
 * size) covers, in units where a whole new pixel is ToolbarArtSize. */
static int Overlap(int s, int d, int size) {
    int sourceStart = s * size, sourceEnd = sourceStart + size;
    int newStart = d * ToolbarArtSize, newEnd = newStart + ToolbarArtSize;
    int start = sourceStart > newStart ? sourceStart : newStart;
    int end = sourceEnd < newEnd ? sourceEnd : newEnd;
    return end > start ? end - start : 0;
}

static bool IsDrawn(uint32_t pixel) {
    return (pixel & 0xFFFFFF) != ToolbarBackgroundColour;
}

/* One new pixel of image `image`: the weighted mean of the drawn source
 * pixels under it, or transparent when less than half of it is drawn. */
static uint32_t ScaledPixel(const uint32_t* strip, int stripWidth, int image, int x, int y,
                            int size) {
    uint32_t weight = 0, red = 0, green = 0, blue = 0;
    for (int sy = 0; sy < ToolbarArtSize; sy++) {
        int wy = Overlap(sy, y, size);
        for (int sx = 0; wy > 0 && sx < ToolbarArtSize; sx++) {
            uint32_t w = (uint32_t)(wy * Overlap(sx, x, size));
            uint32_t pixel = strip[sy * stripWidth + image * ToolbarArtSize + sx];
            if (w == 0 || !IsDrawn(pixel))
                continue;
            weight += w;
            red += w * ((pixel >> 16) & 0xFF);
            green += w * ((pixel >> 8) & 0xFF);
            blue += w * (pixel & 0xFF);
        }
    }
    const uint32_t whole = ToolbarArtSize * ToolbarArtSize;
    if (2 * weight < whole)
        return 0;
    uint32_t half = weight / 2;
    return 0xFF000000 | ((red + half) / weight) << 16 | ((green + half) / weight) << 8 |
           (blue + half) / weight;
}

/* A disabled button shows its picture as a light gray shape. */
static uint32_t DisabledPixel(uint32_t pixel) {
    if (pixel == 0)
        return 0;
    uint32_t luminance =
        (299 * ((pixel >> 16) & 0xFF) + 587 * ((pixel >> 8) & 0xFF) + 114 * (pixel & 0xFF)) / 1000;
    uint32_t gray = 112 + luminance * 120 / 255;
    return 0xFF000000 | gray << 16 | gray << 8 | gray;
}

void ScaleToolbarArt(const uint32_t* strip, int count, int size, uint32_t* images,
                     uint32_t* disabled) {
    int stripWidth = count * ToolbarArtSize, width = count * size;
    for (int image = 0; image < count; image++) {
        for (int y = 0; y < size; y++) {
            for (int x = 0; x < size; x++) {
                uint32_t pixel = ScaledPixel(strip, stripWidth, image, x, y, size);
                images[y * width + image * size + x] = pixel;
                disabled[y * width + image * size + x] = DisabledPixel(pixel);
            }
        }
    }
}
