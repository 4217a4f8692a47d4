/* The viewer's portable core: where the trailer starts in the program's own
 * file, the icon library behind it, and ICO files made from its icons.
 *
 * Every read is bounded by the buffer given; offsets and counts from the file
 * are checked before use. Plain C, so that the Windows program, the native
 * tests and the fuzz target share it. */
#ifndef KAVREL_VIEWER_CORE_H
#define KAVREL_VIEWER_CORE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The trailer behind the program's image: title, copyright, marker, library. */
enum {
    KV_TITLE_SIZE = 80,
    KV_COPYRIGHT_SIZE = 256,
    KV_MARKER = 0x23,
    KV_TRAILER_HEAD = KV_TITLE_SIZE + KV_COPYRIGHT_SIZE + 1
};

enum kv_status {
    KV_OK = 0,
    KV_ERR_IMAGE,   /* the program's own headers are not a PE image */
    KV_ERR_TRAILER, /* no trailer, or its marker is wrong */
    KV_ERR_LIBRARY, /* the library is damaged */
    KV_ERR_EMPTY,   /* the library holds no icon */
    KV_ERR_MEMORY
};

/* The PE header fields the program and its tests look at. */
typedef struct kv_pe_info {
    uint16_t machine;   /* 0x14C i386, 0x8664 x86-64 */
    uint16_t magic;     /* 0x10B PE32, 0x20B PE32+ */
    uint16_t subsystem; /* 2 for a windowed program */
    uint32_t checksum_offset;
    uint64_t image_end; /* end of the last section's raw data */
} kv_pe_info;

/* Fills info from a PE file's headers; 0 when they are not a PE image whose
 * headers and sections lie inside the buffer. */
int kv_pe_read(const uint8_t* file, size_t size, kv_pe_info* info);

/* One image format of an icon, as stored in the library. */
typedef struct kv_format {
    size_t offset; /* in the library */
    uint32_t size;
    uint32_t width, height;
    uint16_t bits; /* 1, 4, 8, 24 or 32; 32 for PNG images */
    uint8_t png;
} kv_format;

typedef struct kv_icon {
    const char* name; /* "" when unnamed */
    unsigned first;   /* index of its first format */
    unsigned count;   /* its formats, sorted by width, height and depth */
} kv_icon;

typedef struct kv_library {
    const uint8_t* data;
    size_t size;
    size_t end; /* the library's own end: data after it is not the library's */
    kv_icon* icons;
    unsigned icon_count;
    kv_format* formats;
    unsigned format_count;
    char* names;
} kv_library;

/* Reads an icon library (a 16-bit resource-only module). Icons without a
 * readable format are left out. Returns a kv_status; on failure lib is empty.
 * lib keeps pointing into data. */
int kv_library_read(kv_library* lib, const uint8_t* data, size_t size);
void kv_library_free(kv_library* lib);

/* The ICO file of one icon: every format's stored bytes, in order. Returns
 * the size needed; writes only when cap is enough. 0 for a bad index. */
size_t kv_ico_write(const kv_library* lib, unsigned icon, uint8_t* out, size_t cap);

/* "32x32x4", "256x256xpng": the same labels as the command-line tool's. */
void kv_format_label(const kv_format* format, char* out, size_t cap);

/* The whole program file: its trailer's texts and library. */
typedef struct kv_viewer {
    char title[KV_TITLE_SIZE + 1];
    char copyright[KV_COPYRIGHT_SIZE + 1];
    size_t trailer; /* where the title starts */
    kv_library lib;
} kv_viewer;

int kv_viewer_open(kv_viewer* viewer, const uint8_t* file, size_t size);
void kv_viewer_close(kv_viewer* viewer);

#ifdef __cplusplus
}
#endif

#endif
