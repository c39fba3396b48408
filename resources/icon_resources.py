#!/usr/bin/env python3
"""Writes the program's icon resources from one .ico file: every image once, as an RT_ICON
resource, and one RT_GROUP_ICON directory per group name, each pointing at those same images.

windres copies all the images of an .ico for every ICON statement, so two groups made that way
carry the images twice. The images are written to files beside OUTPUT_RC (named after it), which
refers to them; windres finds them on its include path.

    icon_resources.py ICON_FILE OUTPUT_RC GROUP_NAME...
"""
import os
import struct
import sys
import zlib

ICO_HEADER = struct.Struct("<HHH")  # reserved 0, type 1 (icon), image count
ICO_ENTRY = struct.Struct("<BBBBHHII")  # width, height, colours, 0, planes, bits, bytes, offset
GROUP_ENTRY = struct.Struct("<BBBBHHIH")  # the same, with the image's RT_ICON id for the offset
BITMAP_HEADER = struct.Struct("<IiiHHIIiiII")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# Bitmaps above this size go in as PNG, which Windows reads in icons of any size since Vista: the
# 64-pixel image shrinks from 17 KB to under 2. The small sizes, which every reader of icons asks
# for, stay bitmaps.
LARGEST_BITMAP_PIXELS = 32


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def bitmap_as_png(image):
    """A 32-bit icon bitmap (BGRA rows bottom-up, then the AND mask) as an RGBA PNG; the alpha
    channel carries the transparency, so the mask is dropped. Other bitmaps come back unchanged."""
    header_size, width, double_height, _, bits, compression = BITMAP_HEADER.unpack_from(image)[:6]
    if bits != 32 or compression != 0 or width > 256:
        return image
    height = double_height // 2  # an icon bitmap counts the mask's rows too
    stride = width * 4
    pixels = image[header_size:header_size + stride * height]
    rows = []
    for row in reversed(range(height)):
        bgra = pixels[row * stride:(row + 1) * stride]
        rgba = bytearray(bgra)
        rgba[0::4], rgba[2::4] = bgra[2::4], bgra[0::4]
        rows.append(b"\0" + bytes(rgba))  # filter type 0: the row as it is
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA, no interlace
    return (PNG_SIGNATURE + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + png_chunk(b"IEND", b""))


def read_icon(path):
    """The directory entries and the images of an .ico file, as stored."""
    with open(path, "rb") as file:
        data = file.read()
    reserved, kind, count = ICO_HEADER.unpack_from(data)
    if reserved != 0 or kind != 1 or count == 0:
        raise SystemExit(f"{path} is no icon file")
    entries, images = [], []
    for index in range(count):
        entry = ICO_ENTRY.unpack_from(data, ICO_HEADER.size + index * ICO_ENTRY.size)
        size, offset = entry[6], entry[7]
        if offset + size > len(data):
            raise SystemExit(f"{path}: image {index + 1} runs past the end of the file")
        entries.append(entry)
        images.append(data[offset:offset + size])
    return entries, images


def main():
    icon_path, rc_path, groups = sys.argv[1], sys.argv[2], sys.argv[3:]
    entries, images = read_icon(icon_path)
    stem = os.path.splitext(os.path.basename(rc_path))[0]
    folder = os.path.dirname(rc_path)
    lines = [f"// Made by {os.path.basename(__file__)} from {os.path.basename(icon_path)}."]
    group = ICO_HEADER.pack(0, 1, len(images))
    for icon_id, (entry, image) in enumerate(zip(entries, images), start=1):
        width = entry[0] or 256
        if width > LARGEST_BITMAP_PIXELS and not image.startswith(PNG_SIGNATURE):
            image = bitmap_as_png(image)
        name = f"{stem}-{icon_id}.bin"
        with open(os.path.join(folder, name), "wb") as file:
            file.write(image)
        lines.append(f'{icon_id} 3 "{name}"  // RT_ICON, {width} pixels')
        group += GROUP_ENTRY.pack(*entry[:6], len(image), icon_id)
    group_name = f"{stem}-group.bin"
    with open(os.path.join(folder, group_name), "wb") as file:
        file.write(group)
    lines += [f'{name} 14 "{group_name}"  // RT_GROUP_ICON' for name in groups]
    with open(rc_path, "w", encoding="ascii") as file:
        file.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
