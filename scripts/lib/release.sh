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

# Whether this folder is a git checkout (else it is the unpacked source
# archive). An archive unpacked inside some other checkout is not one.
in_checkout() {
    command -v git >/dev/null && [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$PWD" ]
}

# Writes the source archive to OUT: git archive of the last commit in a
# checkout; in the unpacked source archive, the same files again, which
# gives the same bytes.
source_archive() {
    local out=$1 prefix
    prefix="tavrindole-$(project_version)/"
    if in_checkout; then
        git archive --format=tar --prefix="$prefix" HEAD |
            python3 scripts/lib/reproducible.py tar-gz "$out"
    else
        python3 scripts/lib/reproducible.py tar-gz "$out" --tree . --prefix "$prefix"
    fi
}

# Builds every download into DIST, which it replaces whole, and prints DIST:
# the source archive, the .debs for amd64 and arm64, the Windows and the web
# zips, the SBOM of all of them, the record of the Debian packages each was
# built with (scripts/lib/build_record.py) and their SHA256SUMS. Every date
# in them is SOURCE_DATE_EPOCH, the source's unless already set.
make_dist() {
    local dist=$1 version staging target package seeds
    version=$(project_version)
    SOURCE_DATE_EPOCH=$(source_date_epoch)
    export SOURCE_DATE_EPOCH
    mkdir -p build
    staging=$(mktemp -d "$PWD/build/dist.XXXXXX")
    chmod 755 "$staging"
    source_archive "$staging/tavrindole-$version.tar.gz"
    local record=(--download "tavrindole-$version.tar.gz" python3)
    for target in native arm64 windows web; do
        package=$(pack_cross "$target")
        cp "$package" "$staging/"
        seeds="${target}_build_packages[@]"
        record+=(--download "${package##*/}" "${!seeds}")
    done
    python3 scripts/lib/build_record.py write "$staging/tavrindole-$version.buildinfo" \
        --version "$version" --freeglut "$PWD/$FREEGLUT_PREFIX" "${record[@]}"
    python3 scripts/lib/bill_of_materials.py sbom "$staging" --version "$version" \
        --epoch "$SOURCE_DATE_EPOCH" --freeglut "$PWD/$FREEGLUT_PREFIX" \
        --output "$staging/tavrindole-$version.cdx.json"
    (cd "$staging" && export LC_ALL=C && sha256sum -- * >SHA256SUMS)
    rm -rf "$dist"
    mv "$staging" "$dist"
    echo "$dist"
}
