#!/usr/bin/env bash
# make_seeds.sh OUT HIVETOOL RULEFILE SEED_MAKER
# Makes the binary seeds of the fuzzing harnesses into OUT/<harness>/ from
# the text seeds in fuzz/corpus/ and from the lines below: hives built by the
# hive tool, the stored forms of rule files by the rule-file tool, links and
# executables by fuzz_seed_maker. The text seeds stay where they are; the
# harnesses read both folders.
set -euo pipefail
out=$1 hivetool=$2 rulefile=$3 seed_maker=$4
src=$(cd "$(dirname "$0")" && pwd)
corpus=$src/corpus
rm -rf "$out"
mkdir -p "$out"/{hive,reg_text,include_file,rule_line,problem_info,ini_file,shortcut,version_resource,compare,bool_expr}

# Hives from the registry text seeds rooted at HKLM\SOFTWARE, filled through
# hivex and laid out in one pass; then dumped back to text as regedit writes
# it (UTF-16LE) and as REGEDIT4.
for reg in "$corpus"/reg_text/regedit4.reg "$corpus"/reg_text/version5-utf8.reg; do
  name=$(basename "$reg" .reg)
  "$hivetool" build --root 'HKEY_LOCAL_MACHINE\SOFTWARE' "$out/hive/$name.hive" "$reg" >/dev/null
  "$hivetool" build --root 'HKEY_LOCAL_MACHINE\SOFTWARE' --compact "$out/hive/$name-compact.hive" "$reg" >/dev/null
  "$hivetool" dump --root 'HKEY_LOCAL_MACHINE\SOFTWARE' "$out/hive/$name.hive" "$out/reg_text/$name-utf16.reg" >/dev/null
  "$hivetool" dump --root 'HKEY_LOCAL_MACHINE\SOFTWARE' --regedit4 "$out/hive/$name.hive" \
    "$out/reg_text/$name-dumped-regedit4.reg" >/dev/null
done
# UTF-16LE that lost its mark.
tail -c +3 "$out/reg_text/version5-utf8-utf16.reg" > "$out/reg_text/version5-utf16-no-mark.reg"

# Rule files in every stored form, and a list file.
rules=$corpus/include_file/rules.qri
"$rulefile" scramble "$rules" "$out/include_file/rules-scrambled.qri"
"$rulefile" encrypt "$rules" "$out/include_file/rules-encrypted.qri"
"$rulefile" pack "$rules" "$out/include_file/rules-container.qri"
"$rulefile" encrypt-list "$corpus/include_file/list.txt" "$out/include_file/list.qrs"
# The linter of the rule-line harness reads every stored form too.
cp "$out"/include_file/rules-*.qri "$out/rule_line/"

# The threat information file, compressed.
"$rulefile" compress-info "$corpus/problem_info/targets.nfo" "$out/problem_info/targets-compressed.nfo"

# INI text as UTF-16LE with its mark.
"$seed_maker" utf16 "$corpus/ini_file/settings.ini" "$out/ini_file/settings-utf16.ini"

"$seed_maker" shortcuts "$out/shortcut"
"$seed_maker" executables "$out/version_resource"

# Comparisons: one byte of switches (bits 0-2 the mode prefix: 1 <wc>,
# 2 <substr>, 3 <bool>, 4 <regexpr>, 5 <bm>; bit 3 ignore case; bits 4-6 the
# default mode), the pattern, a NUL byte, the text.
cmp=$out/compare
printf '\x01*\\APP?.exe\0C:\\Program Files\\app1.exe' > "$cmp/wildcard.bin"
printf '\x09**x*\0xyzzy' > "$cmp/wildcard-trailing-stars-ignore-case.bin"
printf '\x02toolbar\0My Toolbar Helper' > "$cmp/substring.bin"
printf '\x0bspy AND NOT ware OR "tool bar"\0a spy tool bar' > "$cmp/bool-ignore-case.bin"
printf '\x04^C:\\\\(Windows|WINNT)\\\\[a-z]+\\.exe$\0C:\\Windows\\explorer.exe' > "$cmp/regexpr.bin"
printf '\x0c(?i)(a+)+b\\1(?=x)(?<=b)\0aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab' > "$cmp/regexpr-backtracking.bin"
printf '\x05needle\0haystack with a needle in it' > "$cmp/boyer-moore.bin"
printf '\x50Exact Text\0exact text' > "$cmp/exact-default.bin"
printf '\x00<substr>inline prefix\0an inline prefix' > "$cmp/inline-prefix.bin"

# Boolean expressions: the expression, a NUL byte, the text.
bool=$out/bool_expr
printf 'spy AND NOT ware\0spyware and more' > "$bool/and-not.bin"
printf 'NOT NOT "tool bar" OR toolbar AND x\0toolbar x' > "$bool/quotes.bin"
printf 'AND OR NOT\0AND' > "$bool/operators-only.bin"
