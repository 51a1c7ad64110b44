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
level_words=$(mktemp --suffix=.cpp)
trap 'rm -f "$level_words"' EXIT
if $check; then
    template=$(mktemp --suffix=.pot)
    trap 'rm -f "$template" "$level_words"' EXIT
fi
# The shipped levels' titles and hints are the player's words too: they are shown through tr().
{
    sed -n 's/^levels\/[^ ]*\.txt  *\(.*[^ ]\) *$/\1/p; s/^level\.txt  *\(.*[^ ]\) *$/\1/p' levels/order.txt
    sed -n 's/^\(title\|hint\) \(.*[^ ]\) *$/\2/p' level.txt levels/[0-9]*.txt
} | LC_ALL=C sort -u | sed 's/\\/\\\\/g; s/"/\\"/g; s/.*/tr_later("&");/' > "$level_words"
{ find game shell records render authoring framework \( -name '*.cpp' -o -name '*.h' \) -print |
    LC_ALL=C sort; echo "$level_words"; } |
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
