#!/usr/bin/env bats
# The download: the same bytes from two clean builds, and a program that runs
# from wherever it is unpacked, keeping its settings beside itself.

load support/dialog

setup() {
    REPO=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
}

@test "two clean builds of one commit give the same program and the same zip" {
    local n
    for n in 1 2; do
        mkdir "$BATS_TEST_TMPDIR/source$n"
        (cd "$REPO" && git ls-files -z -co --exclude-standard | xargs -0 cp --parents -t "$BATS_TEST_TMPDIR/source$n")
        run "$BATS_TEST_TMPDIR/source$n/scripts/package" "$BATS_TEST_TMPDIR/dist$n"
        [ "$status" -eq 0 ]
        [[ ${lines[-1]} =~ ^[0-9a-f]{64}$ ]]
    done
    cmp "$BATS_TEST_TMPDIR/source1/build/windows/brindle.exe" "$BATS_TEST_TMPDIR/source2/build/windows/brindle.exe"
    cmp "$BATS_TEST_TMPDIR"/dist1/brindle-*-win64.zip "$BATS_TEST_TMPDIR"/dist2/brindle-*-win64.zip
}

@test "unpacked into a fresh prefix it runs from there and keeps its settings beside itself" {
    [ -n "${DISPLAY:-}" ] || skip "needs an X display"
    run "$REPO/scripts/package" "$BATS_TEST_TMPDIR/dist"
    [ "$status" -eq 0 ]
    local version
    version=$(sed -n 's/^project(Brindle VERSION \([0-9.]*\).*/\1/p' "$REPO/CMakeLists.txt")
    [ "${lines[0]}" = "$BATS_TEST_TMPDIR/dist/brindle-$version-win64.zip" ]
    cd "$BATS_TEST_TMPDIR"
    unzip -q "dist/brindle-$version-win64.zip"
    [ -f brindle/brindle.exe ]
    [ -f brindle/Manual/index.html ]
    [ -f brindle/Manual/en.html ]
    [ -f brindle/README.txt ]
    grep -q "Brindle $version" brindle/Manual/en.html

    # Scoop's and winget's manifests: they parse, hold the fields their
    # schemas require, name this zip by its hash, and what they name is in it.
    /usr/bin/python3 - "$BATS_TEST_TMPDIR/dist" "$version" "${lines[1]}" <<'EOT'
import json, sys, yaml, zipfile
dist, version, digest = sys.argv[1:]
zip_name = f"brindle-{version}-win64.zip"
names = zipfile.ZipFile(f"{dist}/{zip_name}").namelist()
scoop = json.load(open(f"{dist}/brindle.json"))
assert scoop["version"] == version and scoop["hash"] == digest and scoop["url"].endswith("/" + zip_name)
assert all(scoop[key] for key in ("description", "homepage", "license", "checkver", "autoupdate"))
assert f'{scoop["extract_dir"]}/{scoop["bin"]}' in names
assert "persist" not in scoop and "brindle.dat" in scoop["pre_install"] and "brindle.dat" in scoop["pre_uninstall"]
kinds = {}
for part in ("", ".installer", ".locale.en-US"):
    manifest = yaml.safe_load(open(f"{dist}/winget/Cobbold.Brindle{part}.yaml"))
    assert manifest["PackageIdentifier"] == "Cobbold.Brindle" and manifest["PackageVersion"] == version
    assert manifest["ManifestVersion"] == "1.6.0"
    kinds[manifest["ManifestType"]] = manifest
installer = kinds["installer"]
assert installer["InstallerType"] == "zip" and installer["NestedInstallerType"] == "portable"
assert installer["ArchiveBinariesDependOnPath"] is True
assert installer["Installers"][0]["InstallerSha256"] == digest.upper()
assert installer["NestedInstallerFiles"][0]["RelativeFilePath"].replace("\\", "/") in names
locale = kinds["defaultLocale"]
assert all(locale[key] for key in ("PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"))
assert kinds["version"]["DefaultLocale"] == "en-US"
EOT

    export WINEPREFIX=$BATS_TEST_TMPDIR/prefix
    "$REPO/cmake/wine-run" brindle/brindle.exe >/dev/null 2>&1 3>&- &
    local program=$!
    local window
    window=$(wait_for_window Brindle 90)
    xdotool key --window "$window" Escape
    timeout 60 tail --pid="$program" -f /dev/null
    [ "$(find "$BATS_TEST_TMPDIR" -iname 'brindle*.dat')" = "$BATS_TEST_TMPDIR/brindle/brindle.dat" ]
    wineserver -k || true
}
