# Sourced by scripts/test: fails when a folder includes a folder above it. Every library exposes src/
# as its include root, so the compiler alone would let platform/ include catalogue/.
# The order: platform <- catalogue <- copy, maintenance, structure <- shell; the three middle folders
# do not include one another. tests/<folder> keeps the order of the folder it tests, except that it
# may drive the real main window through the shell tests' window fixtures (tests/shell/*.h).

check_include_order() {
    local -A above=(
        [platform]="catalogue copy maintenance structure shell"
        [catalogue]="copy maintenance structure shell"
        [copy]="maintenance structure shell"
        [maintenance]="copy structure shell"
        [structure]="copy maintenance shell"
    )
    local folder dir pattern found=0
    for folder in "${!above[@]}"; do
        pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<](\.\./)*(${above[$folder]// /|})/"
        for dir in "$VENDRASOL_ROOT/src/$folder" "$VENDRASOL_ROOT/tests/$folder"; do
            [ -d "$dir" ] || continue
            local lines
            lines=$(grep -rnE "$pattern" "$dir" | grep -vE '#[[:space:]]*include[[:space:]]*"shell/[A-Za-z]+Test\.h"') || true
            if [ -n "$lines" ]; then
                printf '%s\n' "$lines" >&2
                found=1
            fi
        done
    done
    [ "$found" -eq 0 ] || fail "the lines above include a folder above their own (platform <- catalogue <- copy, maintenance, structure <- shell)"
}
