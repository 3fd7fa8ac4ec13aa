#!/usr/bin/env python3
"""Sums a `perf record` of Wine processes by module and by function.

perf names Linux libraries itself; Windows modules it cannot read. A module mapped from its
file (Wine's own DLLs, and ours, whose sections are page-aligned in the file) carries the
file in its samples and is named from its symbol table, or by the nearest export where it
has none. A module whose sections Wine copied into anonymous memory (one linked without
that alignment) is placed with the bases the benchmark prints ("module NAME base 0x...").

  perfpe.py PERF_DATA [--module PATH=BASE ...] [--top N]
"""
import argparse
import bisect
import collections
import re
import subprocess


def pe_symbols(path, exports_only):
    """(sorted RVAs, names) of a PE file: its symbol table, or its exports."""
    rvas, names = [], []
    base = 0
    head = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True).stdout
    m = re.search(r"ImageBase\s+([0-9a-fA-F]+)", head)
    if m:
        base = int(m.group(1), 16)
    size = re.search(r"SizeOfImage\s+([0-9a-fA-F]+)", head)
    size = int(size.group(1), 16) if size else 0
    pairs = []
    if not exports_only:
        nm = subprocess.run(["x86_64-w64-mingw32-nm", "-C", path], capture_output=True, text=True).stdout
        for line in nm.splitlines():
            f = line.split(" ", 2)
            if len(f) == 3 and f[0] and f[1] in ("t", "T"):
                pairs.append((int(f[0], 16) - base, f[2]))
    if not pairs:
        # Export table: "[i] +base[o] RVA Export RVA" gives the address of entry i, and the
        # "[Ordinal/Name Pointer] Table" the name of entry i. A function that is not
        # exported takes the name of the export before it ("near").
        rva_of = {int(m.group(1)): int(m.group(2), 16)
                  for m in re.finditer(r"^\s*\[\s*(\d+)\]\s+\+base\[\s*\d+\]\s+([0-9a-fA-F]+)\s+Export RVA", head, re.M)}
        names_part = head.split("[Ordinal/Name Pointer] Table", 1)[-1] if "[Ordinal/Name Pointer] Table\n" in head else ""
        for m in re.finditer(r"^\s*\[\s*(\d+)\]\s+(\S+)\s*$", names_part, re.M):
            i = int(m.group(1))
            if i in rva_of:
                pairs.append((rva_of[i], "near " + m.group(2)))
    pairs.sort()
    return [p[0] for p in pairs], [p[1] for p in pairs], size


def name_at(table, rva):
    rvas, names, _ = table
    i = bisect.bisect_right(rvas, rva) - 1
    return names[i] if i >= 0 else f"+0x{rva:x}"


OURS = set()


def category(module, fn):
    """A coarse place for a sample: what a reader of the profile needs first."""
    if module.startswith("wineserver: "):
        return "wineserver"
    if module == "libc.so.6" and re.match(r"(read|__GI___libc_write|__GI___writev|__libc_recvmsg|__libc_sendmsg|"
                                          r"pthread_sigmask|__poll|__GI___poll|epoll_wait)", fn):
        return "requests to wineserver (system calls)"
    if module == "ntdll.so" and ("server" in fn or "syscall" in fn):
        return "requests to wineserver (system calls)"
    if module.startswith(("libX", "libxcb", "winex11")):
        return "X11 (winex11, libX11, xcb)"
    if module.startswith(("libfreetype", "libfontconfig", "libharfbuzz")):
        return "fonts (FreeType, fontconfig)"
    if module == "win32u.so":
        return "win32u.so (window manager, GDI: the Unix side)"
    if module in OURS:
        return "our code (the executable and its plug-ins)"
    if module in ("msvcrt.dll", "ucrtbase.dll") or module == "libc.so.6":
        return "C runtime and memory (msvcrt, ucrtbase, libc)"
    if module.endswith((".dll", ".drv")):
        return "Wine's Windows DLLs (user32, gdi32, ntdll, wininet, ...)"
    if module.endswith(".so") or ".so." in module:
        return "other Wine and Linux libraries"
    return "other"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("data")
    ap.add_argument("--module", action="append", default=[], help="PATH=BASE for a module copied into anonymous memory")
    ap.add_argument("--top", type=int, default=25)
    args = ap.parse_args()

    modules = []  # (base, end, short name, table)
    for spec in args.module:
        path, base = spec.rsplit("=", 1)
        table = pe_symbols(path, False)
        base = int(base, 16)
        modules.append((base, base + (table[2] or 0x2000000), path.rsplit("/", 1)[-1], table))
        OURS.add(path.rsplit("/", 1)[-1])

    text = subprocess.run(["perf", "script", "-i", args.data, "--show-mmap-events", "-F", "comm,ip,sym,dso"],
                          capture_output=True, text=True, errors="replace").stdout
    bases = {}  # PE file mapped from disk -> its base (the mapping of file offset 0)
    tables = {}
    by_module, by_symbol, by_kind = collections.Counter(), collections.Counter(), collections.Counter()
    total = 0
    for line in text.splitlines():
        mm = re.search(r"PERF_RECORD_MMAP2?\s.*\[(0x[0-9a-f]+)\((0x[0-9a-f]+)\) @ (0x[0-9a-f]+|\d+)[^\]]*\]:\s+\S+\s+(\S+)", line)
        if mm:
            start, off, path = int(mm.group(1), 16), int(mm.group(3), 0), mm.group(4)
            if path.lower().endswith((".dll", ".exe", ".drv")) and off == 0 and path not in bases:
                bases[path] = start
            continue
        s = re.match(r"^\s*(\S+)\s+([0-9a-f]+)\s+(.*?)\s+\((.*)\)\s*$", line)
        if not s:
            continue
        comm, ip, sym, dso = s.group(1), int(s.group(2), 16), s.group(3), s.group(4)
        total += 1
        short = dso.rsplit("/", 1)[-1]
        if dso.lower().endswith((".dll", ".exe", ".drv")) and dso in bases:
            if dso not in tables:
                tables[dso] = pe_symbols(dso, False)
            fn = name_at(tables[dso], ip - bases[dso])
        elif dso == "[unknown]" or re.match(r"perf-\d+\.map$", short):
            hit = next((m for m in modules if m[0] <= ip < m[1]), None)
            if hit:
                short, fn = hit[2], name_at(hit[3], ip - hit[0])
            else:
                short, fn = "[unknown]", "?"
        else:
            fn = sym if sym and sym != "[unknown]" else f"+0x{ip:x}"
        if comm.startswith("wineserver"):
            short = "wineserver: " + short
        by_module[short] += 1
        by_symbol[f"{short}: {fn}"] += 1
        by_kind[category(short, fn)] += 1
    if not total:
        print("no samples")
        return
    print(f"{total} samples")
    print("by kind:")
    for k, v in by_kind.most_common():
        print(f"  {100.0 * v / total:5.1f} %  {k}")
    print("by module:")
    for k, v in by_module.most_common(args.top):
        print(f"  {100.0 * v / total:5.1f} %  {k}")
    print("by function:")
    for k, v in by_symbol.most_common(args.top):
        print(f"  {100.0 * v / total:5.1f} %  {k}")


if __name__ == "__main__":
    main()
