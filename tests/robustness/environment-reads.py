#!/usr/bin/env python3
"""Fails when a shipped module reads the environment anywhere but the places allowed.

    environment-reads.py LIST MODULE...

Every import that reads the environment (GetEnvironmentVariable*, getenv, _wgetenv,
ExpandEnvironmentStrings*, the C runtime's environment blocks, ...) is found in the import
table; each instruction that uses one is found in the disassembly, with the function it
stands in and, for a call that reads one variable, the name it passes (a constant string
loaded into the argument register). Each (import, function, name) must be on LIST. A use
whose name cannot be told fails too, as do our own variable names (MORAVEL_*) anywhere in
the file and a reader's name among the constant strings (a lookup by GetProcAddress).
The modules must carry their symbols (the build's own, not a stripped copy).
"""
import os
import re
import subprocess
import sys

OBJDUMP = os.environ.get("OBJDUMP", "x86_64-w64-mingw32-objdump")

READER = re.compile(
    r"^(GetEnvironmentVariable[AW]?|GetEnvironmentStrings[AW]?|ExpandEnvironmentStrings(ForUser)?[AW]?"
    r"|SHExpandEnvironmentStrings[AW]?|PathUnExpandEnvStrings[AW]?|RtlQueryEnvironmentVariable(_U)?"
    r"|_?w?getenv(_s)?|_w?dupenv_s|__p__w?environ|_w?environ|__w?initenv|__p___w?initenv)$")

# Where a by-name reader takes the name (x64 calling convention) and how it is encoded.
NAME_ARGUMENT = [
    (re.compile(r"^GetEnvironmentVariableW$|^_wgetenv$|^ExpandEnvironmentStrings(ForUser)?W$|"
                r"^SHExpandEnvironmentStringsW$"), "rcx", "utf-16-le"),
    (re.compile(r"^GetEnvironmentVariableA?$|^getenv$|^ExpandEnvironmentStrings(ForUser)?A?$|"
                r"^SHExpandEnvironmentStringsA?$"), "rcx", "latin-1"),
    (re.compile(r"^_wdupenv_s$"), "r8", "utf-16-le"),
    (re.compile(r"^_dupenv_s$"), "r8", "latin-1"),
    (re.compile(r"^_wgetenv_s$"), "r9", "utf-16-le"),
    (re.compile(r"^getenv_s$"), "r9", "latin-1"),
]
REGISTER_NAMES = {"rcx": ("%rcx", "%ecx"), "r8": ("%r8", "%r8d"), "r9": ("%r9", "%r9d")}
EXPANDS = re.compile(r"Expand")


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, errors="replace").stdout


def imports(module):
    found, dll = [], None
    for line in run(OBJDUMP, "-p", module).splitlines():
        m = re.match(r"^\s*DLL Name:\s*(\S+)", line)
        if m:
            dll = m.group(1)
            continue
        if not line.strip():
            dll = None
            continue
        m = re.match(r"^\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)
        if dll and m:
            found.append((dll, m.group(1)))
    return found


def sections(module):
    out = []
    for line in run(OBJDUMP, "-h", module).splitlines():
        m = re.match(r"^\s*\d+\s+(\S+)\s+([0-9a-f]+)\s+([0-9a-f]+)\s+[0-9a-f]+\s+([0-9a-f]+)", line)
        if m:
            out.append((m.group(1), int(m.group(3), 16), int(m.group(2), 16), int(m.group(4), 16)))
    return out


def read_string(data, secs, address, encoding):
    for _, vma, size, offset in secs:
        if vma <= address < vma + size:
            at = offset + address - vma
            if encoding == "utf-16-le":
                end = at
                while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
                    end += 2
                return data[at:end].decode(encoding, errors="replace")
            end = data.find(b"\0", at)
            return data[at:end].decode(encoding, errors="replace")
    return None


def names_read(function, name_text):
    """The variables a call reads: the name itself, or the %NAME%s of a string it expands."""
    if EXPANDS.search(function):
        return re.findall(r"%([^%]+)%", name_text) or ["-"]
    return [name_text]


def uses(module, readers):
    """(import, place, name or None) for each instruction that uses an import in `readers`."""
    lines = run(OBJDUMP, "-d", "--no-show-raw-insn", module).splitlines()
    data = open(module, "rb").read()
    secs = sections(module)
    symbolic = any("<__imp_" in line for line in lines)
    thunk_of, function = {}, None
    # Thunks ("X: jmp *__imp_X") let code call an import directly.
    for i, line in enumerate(lines):
        m = re.match(r"^([0-9a-f]+) <(.+)>:$", line)
        if m and i + 1 < len(lines):
            j = re.search(r"\tjmp\s+\*.*<__imp_(.+)>$", lines[i + 1])
            if j and j.group(1) in readers:
                thunk_of[m.group(1).lstrip("0")] = j.group(1)
    found, body, loaded = [], [], {}
    for line in lines:
        m = re.match(r"^[0-9a-f]+ <(.+)>:$", line)
        if m:
            function, body, loaded = m.group(1), [], {}
            continue
        m = re.match(r"^\s*([0-9a-f]+):\t(\S+)\s*(.*)$", line)
        if not m:
            continue
        op, operands = m.group(2), m.group(3)
        body.append((op, operands))
        written = re.search(r",(%\w+)$", operands.split("#")[0].rstrip())
        target = None
        r = re.search(r"<(?:\.refptr\.)?__imp_([^>+]+)>", operands)
        if r and r.group(1) in readers and not (op == "jmp" and function == r.group(1)):
            target = r.group(1)
        c = re.match(r"^([0-9a-f]+) <", operands)
        if op in ("call", "jmp") and c and c.group(1).lstrip("0") in thunk_of:
            target = thunk_of[c.group(1).lstrip("0")]
        i = re.match(r"^\*(%\w+)$", operands)
        if op in ("call", "jmp") and i and i.group(1) in loaded:
            target = loaded[i.group(1)]
        elif written:
            loaded.pop(written.group(1), None)
        if not target:
            continue
        argument = next(((reg, enc) for pattern, reg, enc in NAME_ARGUMENT if pattern.match(target)), None)
        if not argument:
            found.append((target, function, ["-"]))
            continue
        # The import's address kept in a register: the calls through it are the uses.
        if op == "mov" and r and written and not operands.startswith("*"):
            loaded[written.group(1)] = target
            continue
        reg, enc = argument
        name = None
        # The last write of the argument register before the call, after any earlier call.
        for prev_op, prev in reversed(body[:-1]):
            if prev_op.startswith("call"):
                break
            if prev.split("#")[0].rstrip().endswith(REGISTER_NAMES[reg]):
                a = re.match(r"^-?0x[0-9a-f]+\(%rip\),%\w+\s+#\s*([0-9a-f]+)", prev) if prev_op == "lea" else None
                if a:
                    name = read_string(data, secs, int(a.group(1), 16), enc)
                break
        found.append((target, function, names_read(target, name) if name is not None else None))
    return found, symbolic


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    allowed = []
    for line in open(sys.argv[1], encoding="utf-8"):
        fields = line.split("#", 1)[0].split()
        if len(fields) == 3:
            allowed.append(tuple(fields))
    failures, seen = [], set()
    for module in sys.argv[2:]:
        base = os.path.basename(module)
        if not os.path.isfile(module):
            print(f"missing {module}", file=sys.stderr)
            return 1
        raw = open(module, "rb").read()
        ours = sorted(set(re.findall(rb"MORAVEL_[A-Z_]+", raw) +
                          [m.replace(b"\0", b"") for m in re.findall(rb"M\0O\0R\0A\0V\0E\0L\0_\0(?:[A-Z_]\0)+", raw)]))
        for name in ours:
            failures.append(f"{base} holds the environment variable name {name.decode()}")
        table = imports(module)
        if not table:
            failures.append(f"no imports read from {base}: objdump's format changed?")
            continue
        readers = {fn for _, fn in table if READER.match(fn)}
        # Constant strings (not the import table, not the debug information).
        constants = b"".join(raw[offset:offset + size] for name, _, size, offset in sections(module)
                             if name in (".rdata", ".data"))
        strings = {m.decode() for m in re.findall(rb"(?<![A-Za-z_])([A-Za-z_]{6,40})\0", constants)}
        strings |= {m.decode("utf-16-le") for m in re.findall(rb"((?:[A-Za-z_]\0){6,40})\0\0", constants)}
        for name in sorted(strings):
            if READER.match(name):
                failures.append(f"{base} holds the string {name}: a reader found by name?")
        if not readers:
            print(f"{base}: imports no reader of the environment")
            continue
        found, symbolic = uses(module, readers)
        if not symbolic:
            failures.append(f"{base} has no symbols: give the build's own module, not a stripped copy")
            continue
        for target in sorted(readers - {t for t, _, _ in found}):
            failures.append(f"{base} imports {target} but no use of it was found: read how it is reached")
        for target, place, names in found:
            if names is None:
                failures.append(f"{base}: {place} calls {target} with a name that is not a constant string")
                continue
            for name in names:
                rule = next((a for a in allowed if a[0] == target and a[1] in place and a[2] == name), None)
                if rule:
                    seen.add(rule)
                    print(f"{base}: {place} reads {name} through {target} (allowed)")
                else:
                    failures.append(f"{base}: {place} reads {name} through {target}, which is not allowed")
    for rule in allowed:
        if rule not in seen:
            print(f"note: {' '.join(rule)} is allowed but not used")
    for failure in failures:
        print(failure, file=sys.stderr)
    if not failures:
        print("the environment is read only where allowed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
