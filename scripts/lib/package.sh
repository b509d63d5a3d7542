# Sourced: the Debian package, made by CPack from the build. Needs common.sh.

# dpkg-shlibdeps works out which packages hold the libraries the program links; the tests check
# the menu entry with desktop-file-validate.
PACKAGE_PACKAGES=(dpkg-dev desktop-file-utils)

# Builds the program and packs it afresh; PACKAGE_FILE is then the path of the .deb.
build_package() {
    build vendrasol
    say "Making the Debian package"
    local folder=$BUILD_DIR/package log
    rm -rf "$folder"
    log=$(mktemp)
    if ! (cd "$BUILD_DIR" && cpack -G DEB) >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        fail "cpack could not make the package"
    fi
    rm -f "$log"
    PACKAGE_FILE=$(find "$folder" -maxdepth 1 -name 'vendrasol_*.deb' -print -quit)
    [ -n "$PACKAGE_FILE" ] || fail "cpack made no vendrasol_*.deb in $folder"
    echo "$PACKAGE_FILE"
}
