#include "viewer_core.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define KV_MAX_SIDE 4096u
#define KV_MAX_IMAGE (64u << 20)
#define KV_RT_ICON 0x8003u
#define KV_RT_GROUP_ICON 0x800Eu

static uint16_t rd16(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

static uint32_t rd32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static uint32_t rd32be(const uint8_t* p)
{
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | (uint32_t)p[3];
}

static void wr16(uint8_t* p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static void wr32(uint8_t* p, uint32_t v)
{
    wr16(p, (uint16_t)v);
    wr16(p + 2, (uint16_t)(v >> 16));
}

/* Whether n bytes at off lie inside a buffer of size bytes. */
static int fits(size_t size, uint64_t off, uint64_t n)
{
    return off <= size && n <= size - off;
}

static uint64_t max64(uint64_t a, uint64_t b)
{
    return a > b ? a : b;
}

int kv_pe_read(const uint8_t* file, size_t size, kv_pe_info* info)
{
    if (!fits(size, 0, 64) || file[0] != 'M' || file[1] != 'Z')
        return 0;
    const uint64_t pe = rd32(file + 60);
    if (!fits(size, pe, 24) || memcmp(file + pe, "PE\0\0", 4) != 0)
        return 0;
    const uint16_t sections = rd16(file + pe + 6);
    const uint16_t optionalSize = rd16(file + pe + 20);
    const uint64_t opt = pe + 24;
    /* The fields read here end with the subsystem at 68. */
    if (optionalSize < 72 || !fits(size, opt, optionalSize))
        return 0;
    const uint16_t magic = rd16(file + opt);
    if (magic != 0x10B && magic != 0x20B)
        return 0;
    const uint64_t table = opt + optionalSize;
    if (sections == 0 || sections > 96 || !fits(size, table, 40u * sections))
        return 0;
    uint64_t end = rd32(file + opt + 60); /* the headers' own size */
    for (unsigned i = 0; i < sections; ++i) {
        const uint8_t* s = file + table + 40u * i;
        const uint32_t raw = rd32(s + 16);
        if (raw != 0)
            end = max64(end, (uint64_t)rd32(s + 20) + raw);
    }
    if (end > size)
        return 0;
    info->machine = rd16(file + pe + 4);
    info->magic = magic;
    info->subsystem = rd16(file + opt + 68);
    info->checksum_offset = (uint32_t)(opt + 64);
    info->image_end = end;
    return 1;
}

/* ------------------------------------------------------------ images */

/* The length of a PNG stream: its chunks up to and including IEND. */
static uint64_t png_length(const uint8_t* d, uint64_t avail)
{
    uint64_t pos = 8;
    while (fits(avail, pos, 12)) {
        const uint64_t chunk = 12 + (uint64_t)rd32be(d + pos);
        if (!fits(avail, pos, chunk))
            return 0;
        const int last = memcmp(d + pos + 4, "IEND", 4) == 0;
        pos += chunk;
        if (last)
            return pos;
    }
    return 0;
}

/* Reads the header of the image at d (avail bytes left in the library) and
 * its size, from the image itself as the icon editor measures it. */
static int read_image(const uint8_t* d, uint64_t avail, kv_format* f)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (avail >= 24 && memcmp(d, signature, 8) == 0) {
        if (memcmp(d + 12, "IHDR", 4) != 0)
            return 0;
        const uint32_t w = rd32be(d + 16), h = rd32be(d + 20);
        const uint64_t length = png_length(d, avail < KV_MAX_IMAGE ? avail : KV_MAX_IMAGE);
        if (w == 0 || h == 0 || w > KV_MAX_SIDE || h > KV_MAX_SIDE || length == 0)
            return 0;
        f->width = w;
        f->height = h;
        f->bits = 32;
        f->png = 1;
        f->size = (uint32_t)length;
        return 1;
    }
    if (avail < 40 || rd32(d) != 40)
        return 0;
    const int32_t w = (int32_t)rd32(d + 4);
    const int32_t h = (int32_t)rd32(d + 8) / 2;
    const uint16_t bits = rd16(d + 14);
    const uint32_t used = rd32(d + 32);
    if (w <= 0 || h <= 0 || (uint32_t)w > KV_MAX_SIDE || (uint32_t)h > KV_MAX_SIDE || rd32(d + 16) != 0)
        return 0;
    uint64_t colours = 0;
    switch (bits) {
    case 1:
    case 4:
    case 8:
        colours = used == 0 ? (1u << bits) : used;
        if (colours > (1u << bits))
            return 0;
        break;
    case 24:
    case 32:
        if (used != 0)
            return 0;
        break;
    default:
        return 0;
    }
    const uint64_t xorStride = ((uint64_t)w * bits + 31) / 32 * 4;
    const uint64_t andStride = ((uint64_t)w + 31) / 32 * 4;
    const uint64_t total = 40 + 4 * colours + (xorStride + andStride) * (uint64_t)h;
    if (total > KV_MAX_IMAGE || total > avail)
        return 0;
    f->width = (uint32_t)w;
    f->height = (uint32_t)h;
    f->bits = bits;
    f->png = 0;
    f->size = (uint32_t)total;
    return 1;
}

/* ------------------------------------------------------------ library */

typedef struct resource {
    uint64_t offset, length;
    uint16_t id;
    unsigned same; /* the first image record at the same offset */
} resource;

typedef struct type_walk {
    resource* images;
    resource* groups;
    unsigned image_count, group_count;
    uint64_t end;
} type_walk;

/* Walks the resource table; with fill set, stores the records of both icon
 * types, else only counts them. 0 when the table runs off the buffer. */
static int walk_types(const uint8_t* d, size_t size, uint64_t pos, unsigned shift, type_walk* w, int fill)
{
    w->image_count = w->group_count = 0;
    for (;;) {
        if (!fits(size, pos, 2))
            return 0;
        const uint16_t type = rd16(d + pos);
        if (type == 0) {
            w->end = max64(w->end, pos + 2);
            return 1;
        }
        if (!fits(size, pos, 8))
            return 0;
        const uint16_t count = rd16(d + pos + 2);
        if (!fits(size, pos + 8, 12u * count))
            return 0;
        for (unsigned i = 0; i < count && (type == KV_RT_ICON || type == KV_RT_GROUP_ICON); ++i) {
            const uint8_t* rec = d + pos + 8 + 12u * i;
            resource r;
            r.offset = (uint64_t)rd16(rec) << shift;
            r.length = (uint64_t)rd16(rec + 2) << shift;
            r.id = rd16(rec + 6);
            r.same = 0;
            if (fill) {
                if (type == KV_RT_ICON)
                    w->images[w->image_count] = r;
                else
                    w->groups[w->group_count] = r;
            }
            if (type == KV_RT_ICON)
                ++w->image_count;
            else
                ++w->group_count;
        }
        pos += 8 + 12u * count;
    }
}

static int by_offset(const void* a, const void* b)
{
    const resource* x = *(const resource* const*)a;
    const resource* y = *(const resource* const*)b;
    if (x->offset != y->offset)
        return x->offset < y->offset ? -1 : 1;
    return x < y ? -1 : (x > y);
}

/* Formats sort by width, height and depth; equal ones keep their order. */
typedef struct sort_item {
    kv_format f;
    unsigned seq;
} sort_item;

static int by_format(const void* a, const void* b)
{
    const sort_item* x = (const sort_item*)a;
    const sort_item* y = (const sort_item*)b;
    if (x->f.width != y->f.width)
        return x->f.width < y->f.width ? -1 : 1;
    if (x->f.height != y->f.height)
        return x->f.height < y->f.height ? -1 : 1;
    if (x->f.bits != y->f.bits)
        return x->f.bits < y->f.bits ? -1 : 1;
    return x->seq < y->seq ? -1 : (x->seq > y->seq);
}

void kv_library_free(kv_library* lib)
{
    free(lib->icons);
    free(lib->formats);
    free(lib->names);
    memset(lib, 0, sizeof *lib);
}

/* Names follow the module name "ICL" as length-prefixed strings; the single
 * at sign stands for an unnamed icon. Fills one offset per group into the
 * names buffer (0 is the empty name). */
static char* read_names(const uint8_t* d, size_t size, uint64_t at, unsigned groups, size_t* offsets, uint64_t* end)
{
    uint64_t total = 1;
    unsigned n = 0;
    uint64_t pos = at + 4;
    const int named = fits(size, at, 4) && memcmp(d + at, "\3ICL", 4) == 0;
    if (named) {
        for (; n < groups && fits(size, pos, 1) && d[pos] != 0 && fits(size, pos + 1, d[pos]); ++n) {
            total += d[pos] + 1u;
            pos += 1u + d[pos];
        }
        *end = max64(*end, fits(size, pos, 1) ? pos + 1 : pos);
    }
    char* names = (char*)malloc((size_t)total);
    if (!names)
        return NULL;
    names[0] = 0;
    size_t put = 1;
    pos = at + 4;
    for (unsigned g = 0; g < groups; ++g) {
        offsets[g] = 0;
        if (g >= n)
            continue;
        const unsigned length = d[pos];
        if (!(length == 1 && d[pos + 1] == '@')) {
            offsets[g] = put;
            memcpy(names + put, d + pos + 1, length);
            put += length;
            names[put++] = 0;
        }
        pos += 1u + length;
    }
    return names;
}

int kv_library_read(kv_library* lib, const uint8_t* d, size_t size)
{
    memset(lib, 0, sizeof *lib);
    if (!fits(size, 0, 64) || d[0] != 'M' || d[1] != 'Z')
        return KV_ERR_LIBRARY;
    const uint64_t ne = rd32(d + 60);
    /* Windows 2.x modules keep icons in a layout of their own. */
    if (!fits(size, ne, 64) || d[ne] != 'N' || d[ne + 1] != 'E' || d[ne + 63] < 3)
        return KV_ERR_LIBRARY;
    const uint16_t table = rd16(d + ne + 36), residentNames = rd16(d + ne + 38);
    if (table == 0 || residentNames == 0 || !fits(size, ne + table, 2))
        return KV_ERR_LIBRARY;
    const unsigned shift = rd16(d + ne + table);
    if (shift > 16)
        return KV_ERR_LIBRARY;

    type_walk w;
    memset(&w, 0, sizeof w);
    w.end = ne + 64;
    if (!walk_types(d, size, ne + table + 2, shift, &w, 0))
        return KV_ERR_LIBRARY;
    const unsigned imageCount = w.image_count, groupCount = w.group_count;
    resource* images = (resource*)calloc(imageCount + 1u, sizeof *images);
    resource* groups = (resource*)calloc(groupCount + 1u, sizeof *groups);
    const resource** order = (const resource**)calloc(imageCount + 1u, sizeof *order);
    unsigned* taken = (unsigned*)calloc(imageCount + 1u, sizeof *taken);
    size_t* nameAt = (size_t*)calloc(groupCount + 1u, sizeof *nameAt);
    unsigned* byId = (unsigned*)calloc(0x8000u, sizeof *byId);
    sort_item* items = NULL;
    int status = KV_ERR_MEMORY;
    if (!images || !groups || !order || !taken || !nameAt || !byId)
        goto done;
    w.images = images;
    w.groups = groups;
    walk_types(d, size, ne + table + 2, shift, &w, 1);

    /* Records sharing an offset are one image. */
    for (unsigned i = 0; i < imageCount; ++i)
        order[i] = &images[i];
    qsort(order, imageCount, sizeof *order, by_offset);
    for (unsigned i = 0; i < imageCount; ++i)
        images[order[i] - images].same = i > 0 && order[i - 1]->offset == order[i]->offset
                                             ? images[order[i - 1] - images].same
                                             : (unsigned)(order[i] - images);

    /* Groups name images by identifier. When the images' own integer
     * identifiers are unique they are used, as the system's loader does;
     * otherwise identifier k means the k-th image of the table. */
    int byIdentifier = 1;
    for (unsigned i = 0; i < imageCount && byIdentifier; ++i) {
        const uint16_t id = images[i].id;
        if (!(id & 0x8000u) || byId[id & 0x7FFFu])
            byIdentifier = 0;
        else
            byId[id & 0x7FFFu] = i + 1;
    }

    lib->names = read_names(d, size, ne + residentNames, groupCount, nameAt, &w.end);
    if (!lib->names)
        goto done;

    /* Formats never outnumber the directory entries that name them. Groups
     * sharing one directory could multiply those far beyond the file; no
     * library is written that way. */
    uint64_t entryTotal = 0;
    for (unsigned g = 0; g < groupCount; ++g)
        if (fits(size, groups[g].offset, 6))
            entryTotal += rd16(d + groups[g].offset + 4);
    status = KV_ERR_LIBRARY;
    if (entryTotal > size)
        goto done;
    status = KV_ERR_MEMORY;
    lib->formats = (kv_format*)calloc((size_t)entryTotal + 1u, sizeof *lib->formats);
    lib->icons = (kv_icon*)calloc(groupCount + 1u, sizeof *lib->icons);
    items = (sort_item*)calloc(imageCount + 1u, sizeof *items);
    if (!lib->formats || !lib->icons || !items)
        goto done;

    /* Images may overlap, so their total could far exceed the file; such a
     * file is not a library anyone wrote. */
    uint64_t budget = 16 * (uint64_t)size + (1u << 20);
    status = KV_ERR_LIBRARY;
    for (unsigned g = 0; g < groupCount; ++g) {
        const resource* group = &groups[g];
        if (fits(size, group->offset, group->length))
            w.end = max64(w.end, group->offset + group->length);
        if (!fits(size, group->offset, 6))
            continue;
        const unsigned count = rd16(d + group->offset + 4);
        if (!fits(size, group->offset + 6, 14u * count))
            continue;
        w.end = max64(w.end, group->offset + 6 + 14u * count);
        unsigned found = 0;
        for (unsigned e = 0; e < count; ++e) {
            const uint16_t id = rd16(d + group->offset + 6 + 14u * e + 12);
            unsigned index;
            if (byIdentifier) {
                if (id > 0x7FFFu || byId[id] == 0)
                    continue;
                index = byId[id] - 1;
            } else {
                if (id == 0 || id > imageCount)
                    continue;
                index = id - 1u;
            }
            const resource* image = &images[images[index].same];
            if (taken[images[index].same] == g + 1 || image->offset >= size)
                continue;
            taken[images[index].same] = g + 1;
            kv_format f;
            if (!read_image(d + image->offset, size - image->offset, &f))
                continue;
            if (f.size > budget)
                goto done;
            budget -= f.size;
            f.offset = (size_t)image->offset;
            w.end = max64(w.end, image->offset + f.size);
            if (fits(size, image->offset, image->length))
                w.end = max64(w.end, image->offset + image->length);
            items[found].f = f;
            items[found].seq = found;
            ++found;
        }
        if (found == 0)
            continue;
        qsort(items, found, sizeof *items, by_format);
        kv_icon* icon = &lib->icons[lib->icon_count++];
        icon->name = lib->names + nameAt[g];
        icon->first = lib->format_count;
        icon->count = found;
        for (unsigned i = 0; i < found; ++i)
            lib->formats[lib->format_count++] = items[i].f;
    }
    lib->data = d;
    lib->size = size;
    lib->end = (size_t)w.end;
    status = KV_OK;

done:
    free(images);
    free(groups);
    free(order);
    free(taken);
    free(nameAt);
    free(byId);
    free(items);
    if (status != KV_OK)
        kv_library_free(lib);
    return status;
}

/* ------------------------------------------------------------ output */

size_t kv_ico_write(const kv_library* lib, unsigned index, uint8_t* out, size_t cap)
{
    if (index >= lib->icon_count)
        return 0;
    const kv_icon* icon = &lib->icons[index];
    uint64_t need = 6 + 16 * (uint64_t)icon->count;
    for (unsigned i = 0; i < icon->count; ++i)
        need += lib->formats[icon->first + i].size;
    if (need > 0xFFFFFFFFu || need > (size_t)-1)
        return 0;
    if (!out || cap < need)
        return (size_t)need;
    wr16(out, 0);
    wr16(out + 2, 1);
    wr16(out + 4, (uint16_t)icon->count);
    size_t at = 6 + 16u * icon->count;
    for (unsigned i = 0; i < icon->count; ++i) {
        const kv_format* f = &lib->formats[icon->first + i];
        uint8_t* e = out + 6 + 16u * i;
        e[0] = (uint8_t)f->width;
        e[1] = (uint8_t)f->height;
        e[2] = (uint8_t)(f->png ? 0 : f->bits == 1 ? 2 : f->bits == 4 ? 16 : 0);
        e[3] = 0;
        wr16(e + 4, 1);
        wr16(e + 6, f->bits);
        wr32(e + 8, f->size);
        wr32(e + 12, (uint32_t)at);
        memcpy(out + at, lib->data + f->offset, f->size);
        at += f->size;
    }
    return (size_t)need;
}

void kv_format_label(const kv_format* f, char* out, size_t cap)
{
    if (f->png)
        snprintf(out, cap, "%ux%uxpng", (unsigned)f->width, (unsigned)f->height);
    else
        snprintf(out, cap, "%ux%ux%u", (unsigned)f->width, (unsigned)f->height, (unsigned)f->bits);
}

/* ------------------------------------------------------------ program */

static void copy_text(char* to, const uint8_t* from, size_t n)
{
    size_t i = 0;
    for (; i < n && from[i] != 0; ++i)
        to[i] = (char)from[i];
    to[i] = 0;
}

int kv_viewer_open(kv_viewer* v, const uint8_t* file, size_t size)
{
    memset(v, 0, sizeof *v);
    kv_pe_info info;
    if (!kv_pe_read(file, size, &info))
        return KV_ERR_IMAGE;
    const uint64_t t = info.image_end;
    if (!fits(size, t, KV_TRAILER_HEAD) || file[t + KV_TRAILER_HEAD - 1] != KV_MARKER)
        return KV_ERR_TRAILER;
    v->trailer = (size_t)t;
    copy_text(v->title, file + t, KV_TITLE_SIZE);
    copy_text(v->copyright, file + t + KV_TITLE_SIZE, KV_COPYRIGHT_SIZE);
    const int status = kv_library_read(&v->lib, file + t + KV_TRAILER_HEAD, size - (size_t)t - KV_TRAILER_HEAD);
    if (status != KV_OK)
        return status;
    if (v->lib.icon_count == 0) {
        kv_library_free(&v->lib);
        return KV_ERR_EMPTY;
    }
    return KV_OK;
}

void kv_viewer_close(kv_viewer* v)
{
    kv_library_free(&v->lib);
}
