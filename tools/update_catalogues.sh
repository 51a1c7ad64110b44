#!/bin/sh
# The player's words: extracts every tr() and tr_later() text of the sources into
# po/quillomar.pot, merges it into each language's po/<code>.po and lists the texts a language
# still lacks, to hand to its translator. With --check nothing is written: it only says which
# texts lack a translation. Exits 1 when one does.
set -eu
cd "$(dirname "$0")/.."
check=false
[ "${1:-}" = "--check" ] && check=true
template=po/quillomar.pot
if $check; then
    template=$(mktemp --suffix=.pot)
    trap 'rm -f "$template"' EXIT
fi
find game shell records render authoring framework \( -name '*.cpp' -o -name '*.h' \) -print |
    LC_ALL=C sort |
    xargs xgettext --language=C++ --from-code=UTF-8 --keyword=tr --keyword=tr_later \
        --no-location --sort-output --package-name=quillomar --output="$template"
missing=0
for po in po/*.po; do
    merged=$po
    if $check; then
        merged=$(mktemp --suffix=.po)
        cp "$po" "$merged"
    else
        msgmerge --quiet --update --backup=none --no-fuzzy-matching --sort-output "$po" "$template"
    fi
    $check && msgmerge --quiet --update --backup=none --no-fuzzy-matching "$merged" "$template"
    # A text of the sources the catalogue has no translation of (a long one shows its first
    # line only).
    if msgattrib --untranslated --no-obsolete "$merged" | grep -q '^msgid "..*"'; then
        echo "$po lacks translations of:"
        msgattrib --untranslated --no-obsolete "$merged" | sed -n 's/^msgid "\(..*\)"$/  \1/p'
        missing=1
    fi
    $check && rm -f "$merged"
done
exit $missing
