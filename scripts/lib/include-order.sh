# Sourced by scripts/test: fails when a folder includes a folder above it. Every library exposes src/
# as its include root, so the compiler alone would let platform/ include catalogue/.
# The order: platform <- catalogue <- copy, maintenance, structure <- shell; the three middle folders
# do not include one another. tests/<folder> keeps the order of the folder it tests, except that the
# copy's tests drive the real main window, and so reach the shell's window fixture.

check_include_order() {
    local -A above=(
        [platform]="catalogue copy maintenance structure shell"
        [catalogue]="copy maintenance structure shell"
        [copy]="maintenance structure shell"
        [maintenance]="copy structure shell"
        [structure]="copy maintenance shell"
    )
    local -A testsAbove=([copy]="maintenance structure")
    local folder dir pattern found=0
    for folder in "${!above[@]}"; do
        for dir in "$VENDRASOL_ROOT/src/$folder" "$VENDRASOL_ROOT/tests/$folder"; do
            [ -d "$dir" ] || continue
            local folders=${above[$folder]}
            [[ $dir == */tests/* && -n ${testsAbove[$folder]:-} ]] && folders=${testsAbove[$folder]}
            pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<](\.\./)*(${folders// /|})/"
            if grep -rnE "$pattern" "$dir" >&2; then found=1; fi
        done
    done
    [ "$found" -eq 0 ] || fail "the lines above include a folder above their own (platform <- catalogue <- copy, maintenance, structure <- shell)"
}
