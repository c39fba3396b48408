#!/usr/bin/env python3
"""Checks the built program file: it imports only Windows' KnownDLLs, it is under 512 KiB, and its
resources hold both icon groups on one set of images, the version information with the build's version numbers and the manifest the
program needs.

    program_file_check.py PROGRAM.exe FILE_VERSION PRODUCT_VERSION    (versions as 1.2.3.4)
"""
import os
import re
import subprocess
import sys

# Windows' KnownDLLs, which it always takes from its system folder. The program imports nothing
# else: a DLL outside this list would be looked for in the program's folder first, before the
# program could keep the search to the system folder. The rest (the common controls, GDI+,
# rich edit) it loads itself once it has done so.
KNOWN_DLLS = {
    "advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "user32.dll", "ws2_32.dll",
}
DESCRIPTION = "自动获取网络时间，校正电脑时间"
SUPPORTED_OS = ["35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]


def run(*command):
    """Standard output of a command; empty when it fails (a file without resources, say)."""
    return subprocess.run(command, capture_output=True, text=True).stdout


def windres_text(text):
    """A text as windres writes a UTF-16 string: L"\\x81ea\\x52a8..." (ASCII stays as is)."""
    return 'L"' + "".join(c if ord(c) < 128 else f"\\x{ord(c):x}" for c in text) + '"'


def version_pattern(keyword, dotted):
    """FILEVERSION 1, 1, 3, 178 as windres writes it back, for the version 1.1.3.178."""
    return keyword + " " + ", ".join(dotted.split(".")) + r"\b"


def main():
    program, file_version, product_version = sys.argv[1:4]
    failures = []

    imports = {name.lower() for name in
               re.findall(r"DLL Name: (\S+)", run("i686-w64-mingw32-objdump", "-p", program))}
    print("imports:", ", ".join(sorted(imports)))
    if imports - KNOWN_DLLS:
        failures.append(f"imports DLLs that are not KnownDLLs: {sorted(imports - KNOWN_DLLS)}")

    resources = run("i686-w64-mingw32-windres", "-i", program, "-O", "rc")
    expected = {
        "program icon group": r'"AAAAA_APPICON" 14 ',
        "form icon group": r'"IMAGE_TIME" 14 ',
        "file version": version_pattern("FILEVERSION", file_version),
        "product version": version_pattern("PRODUCTVERSION", product_version),
        "file version text": r'VALUE "FileVersion", L?"' + re.escape(file_version) + '"',
        "product version text": r'VALUE "ProductVersion", L?"' + re.escape(product_version) + '"',
        "manifest version": r'assemblyIdentity[^>]*version=""' + re.escape(file_version) + '""',
        "Chinese UTF-16 string block": r'BLOCK "080404b0"',
        "translation": r'VALUE "Translation", 0x804, 1200',
        "description": r'VALUE "FileDescription", ' + re.escape(windres_text(DESCRIPTION)),
        "manifest": r"1 24 /\* RT_MANIFEST \*/",
        "administrator rights": r'requestedExecutionLevel level=""requireAdministrator""',
        "DPI awareness (per monitor)": r'<dpiAware xmlns=""http://schemas\.microsoft\.com/SMI/2005/WindowsSettings"">true/pm</dpiAware>',
        "DPI awareness (per monitor v2)": r'<dpiAwareness xmlns=""http://schemas\.microsoft\.com/SMI/2016/WindowsSettings"">PerMonitorV2, PerMonitor</dpiAwareness>',
        "common controls 6": r'name=""Microsoft\.Windows\.Common-Controls"" version=""6\.0\.0\.0""',
    }
    for guid in SUPPORTED_OS:  # Windows 7, 8, 8.1, 10/11
        expected[f"supported OS {guid}"] = r'<supportedOS Id=""\{' + guid + r'\}""/>'
    for what, pattern in expected.items():
        if not re.search(pattern, resources):
            failures.append(f"resources lack the {what} ({pattern})")

    # Each icon group holds every size Windows asks for, 32 bits a pixel; windres writes an entry's
    # width and height as octal escapes: "\020\020\000\000", 1, 32, ... (256 as "\000"), last
    # its image's id. Both groups point at the same images, and there are no others.
    image_ids = []
    for group in ("AAAAA_APPICON", "IMAGE_TIME"):
        block = resources.split(f'"{group}" 14', 1)[-1].split("END", 1)[0]
        entries = re.findall(r'"\\(\d{3})\\(\d{3})\\000\\000", 1, (\d+),', block)
        sizes = sorted((int(width, 8) or 256, int(height, 8) or 256, int(bits))
                       for width, height, bits in entries)
        if sizes != [(size, size, 32) for size in ICON_SIZES]:
            failures.append(f"{group} holds {sizes}, expected {ICON_SIZES} pixels at 32 bits")
        image_ids.append(re.findall(r"(\d+),?\s*/\* Element", block))
    if image_ids[0] != image_ids[1] or resources.count("3 /* RT_ICON */") != len(ICON_SIZES):
        failures.append(f"the icon groups point at images {image_ids}: not one set of each size")

    # Windows expects 256-pixel images PNG-compressed. windres writes an image as little-endian
    # words: a PNG's first is "\x89PNG", its fifth the width (big-endian).
    images = re.findall(r"3 /\* RT_ICON \*/\s+BEGIN\s+((?:0x[0-9a-f]+L\s*,\s*){5})", resources)
    png_widths = [int.from_bytes(int(i.split(",")[4].strip(" L"), 16).to_bytes(4, "little"), "big")
                  for i in images if i.startswith("0x474e5089L")]
    if 256 not in png_widths:
        failures.append(f"PNG icon images of widths {png_widths}, none of 256")
    if os.path.getsize(program) >= 512 * 1024:
        failures.append(f"the file is {os.path.getsize(program)} bytes, not under 512 KiB")

    for failure in failures:
        print("FAIL:", failure)
    if failures:
        sys.exit(1)
    print("PASS")


if __name__ == "__main__":
    main()
