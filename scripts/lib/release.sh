# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The release: every download of the version in CMakeLists.txt, built once
# with the scripts that build each target, into one folder with an SBOM and
# checksums. Sourced by scripts/release and scripts/test, after
# scripts/lib/cross.sh.

# The version in CMakeLists.txt.
project_version() {
    sed -n 's/^project(tavrindole VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

# Fails, naming both, unless TAG is "v" and the version.
check_tag() {
    local tag=$1 version
    version=$(project_version)
    if [ "$tag" != "v$version" ]; then
        echo "release: the tag $tag is not v$version, the version in CMakeLists.txt" >&2
        return 1
    fi
}

# Builds every download into DIST, which it replaces whole, and prints DIST:
# the source (git archive of the last commit), the .debs for amd64 and
# arm64, the Windows and the web zips, the SBOM of all of them and their
# SHA256SUMS. Every date in them is SOURCE_DATE_EPOCH, the last commit's
# unless already set.
make_dist() {
    local dist=$1 version staging target
    version=$(project_version)
    SOURCE_DATE_EPOCH=$(source_date_epoch)
    export SOURCE_DATE_EPOCH
    mkdir -p build
    staging=$(mktemp -d "$PWD/build/dist.XXXXXX")
    chmod 755 "$staging"
    git archive --format=tar --prefix="tavrindole-$version/" HEAD |
        python3 scripts/lib/reproducible.py tar-gz "$staging/tavrindole-$version.tar.gz"
    for target in native arm64 windows web; do
        cp "$(pack_cross "$target")" "$staging/"
    done
    python3 scripts/lib/bill_of_materials.py sbom "$staging" --version "$version" \
        --epoch "$SOURCE_DATE_EPOCH" --freeglut "$PWD/$FREEGLUT_PREFIX" \
        --output "$staging/tavrindole-$version.cdx.json"
    (cd "$staging" && LC_ALL=C sha256sum -- * >SHA256SUMS)
    rm -rf "$dist"
    mv "$staging" "$dist"
    echo "$dist"
}
