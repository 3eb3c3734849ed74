/* One libvips pipeline doing a whole wallpaper change, for scripts/bench-peers:
 *   vips_change PICTURE PCT OUT.bmp
 * The JPEG shrunk on load by the largest power of two that keeps the target
 * size, box-shrunk the rest of the way, 40 % of the desktop colour mixed in,
 * written as a 32-bit bottom-up BMP. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vips/vips.h>

static void put(unsigned char *at, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = (unsigned char) (value >> (8 * i));
}

int main(int argc, char **argv) {
    if (VIPS_INIT(argv[0]) || argc != 4) return 2;
    const int pct = atoi(argv[2]);
    VipsImage *header = vips_image_new_from_file(argv[1], NULL);
    if (!header) vips_error_exit(NULL);
    int width = header->Xsize * pct / 100, height = header->Ysize * pct / 100;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    int shrink = 1;
    while (shrink < 8 && header->Xsize / (2 * shrink) >= width && header->Ysize / (2 * shrink) >= height) shrink *= 2;
    g_object_unref(header);

    VipsImage *t[10] = {0};
    if (vips_jpegload(argv[1], &t[0], "shrink", shrink, NULL)) vips_error_exit(NULL);
    VipsImage *sized = t[0];
    if (sized->Xsize != width || sized->Ysize != height) {
        if (vips_shrink(sized, &t[1], (double) sized->Xsize / width, (double) sized->Ysize / height, NULL))
            vips_error_exit(NULL);
        sized = t[1];
    }
    double a[3] = {0.6, 0.6, 0.6}, b[3] = {0.4 * 37, 0.4 * 111, 0.4 * 149};
    if (vips_linear(sized, &t[2], a, b, 3, "uchar", TRUE, NULL) || vips_extract_band(t[2], &t[3], 2, NULL) ||
        vips_extract_band(t[2], &t[4], 1, NULL) || vips_extract_band(t[2], &t[5], 0, NULL))
        vips_error_exit(NULL);
    VipsImage *bgr[3] = {t[3], t[4], t[5]};
    if (vips_bandjoin(bgr, &t[6], 3, NULL) || vips_bandjoin_const1(t[6], &t[7], 255, NULL) ||
        vips_flip(t[7], &t[8], VIPS_DIRECTION_VERTICAL, NULL))
        vips_error_exit(NULL);
    size_t bytes = 0;
    void *pixels = vips_image_write_to_memory(t[8], &bytes);
    if (!pixels) vips_error_exit(NULL);
    unsigned char h[54] = {'B', 'M'};
    put(h + 2, (unsigned) (54 + bytes), 4);
    put(h + 10, 54, 4);
    put(h + 14, 40, 4);
    put(h + 18, (unsigned) width, 4);
    put(h + 22, (unsigned) height, 4);
    put(h + 26, 1, 2);
    put(h + 28, 32, 2);
    FILE *out = fopen(argv[3], "wb");
    if (!out || fwrite(h, 1, 54, out) != 54 || fwrite(pixels, 1, bytes, out) != bytes || fclose(out)) return 1;
    g_free(pixels);
    for (int i = 0; i < 10; ++i)
        if (t[i]) g_object_unref(t[i]);
    return 0;
}
