#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR with prefix /usr and checks what a user gets:
# every file in its place, the desktop entry and the metainfo valid, the manual page and
# the completion naming every option the command line takes, one version number.
#   check_install.sh BUILD_DIR SOURCE_DIR VERSION APP_ID [CMAKE]
set -euo pipefail
buildDir="$1"
sourceDir="$2"
version="$3"
appId="$4"
cmake="${5:-cmake}"

failures=0
fail() {
  printf 'FAIL: %s\n' "$*" >&2
  failures=$((failures + 1))
}

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" "$cmake" --install "$buildDir" --prefix /usr >"$stage.log" 2>&1 ||
  { cat "$stage.log" >&2; rm -f "$stage.log"; exit 1; }
rm -f "$stage.log"
root="$stage/usr"

for file in bin/zel bin/zel-cli \
  share/applications/zel.desktop \
  share/icons/hicolor/scalable/apps/zel.svg \
  share/icons/hicolor/16x16/apps/zel.png share/icons/hicolor/32x32/apps/zel.png \
  share/icons/hicolor/48x48/apps/zel.png share/icons/hicolor/64x64/apps/zel.png \
  share/icons/hicolor/128x128/apps/zel.png share/icons/hicolor/256x256/apps/zel.png \
  "share/metainfo/$appId.metainfo.xml" \
  share/man/man1/zel.1 share/man/man1/zel-cli.1 \
  share/bash-completion/completions/zel-cli \
  share/zel/help/index.html share/zel/help/index_en.html; do
  [[ -s "$root/$file" ]] || fail "missing or empty: /usr/$file"
done
for program in zel zel-cli; do
  [[ -x "$root/bin/$program" ]] || fail "/usr/bin/$program is not executable"
done
# The translations, once the build makes them, hold compiled catalogues.
if [[ -d "$root/share/zel/translations" ]]; then
  compgen -G "$root/share/zel/translations/*.qm" >/dev/null ||
    fail "/usr/share/zel/translations holds no .qm file"
fi

# Each PNG is the size its folder says.
for size in 16 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/zel.png"
  [[ -f "$png" ]] || continue
  got="$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')"
  [[ "$got" == "${size}x${size}" ]] || fail "$png is $got"
done

desktop-file-validate "$root/share/applications/zel.desktop" || fail "desktop-file-validate"
grep -qx 'MimeType=image/gif;image/png;image/jpeg;image/bmp;image/webp;video/mp4;video/webm;video/x-matroska;video/quicktime;video/x-msvideo;' "$root/share/applications/zel.desktop" ||
  fail "the desktop entry's MimeType"
appstreamcli validate --no-net "$root/share/metainfo/$appId.metainfo.xml" >"$stage/as.log" 2>&1 ||
  { cat "$stage/as.log" >&2; fail "appstreamcli validate"; }

# Every option zel-cli's sources name, in the manual page and in the completion, so that
# an option added without its row in the tables fails here.
man="$(sed 's/\\-/-/g' "$root/share/man/man1/zel-cli.1")"
completion="$(cat "$root/share/bash-completion/completions/zel-cli")"
mapfile -t options < <(grep -ohE '"(--[a-z][a-z0-9-]*|-o)"' "$sourceDir"/src/cli/*.cpp \
  "$sourceDir"/src/cli/*.h | tr -d '"' | sort -u)
((${#options[@]} > 20)) || fail "too few options found in src/cli (${#options[@]})"
for option in "${options[@]}"; do
  grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$man" || fail "zel-cli.1 lacks $option"
  case "$option" in
    --print-man | --print-completion | --help | --version) continue ;;
  esac
  grep -qE -- "(^|[' ])$option([' ]|\$)" <<<"$completion" || fail "the completion lacks $option"
done
# The editor's page names its options too.
for option in --open --version --help; do
  sed 's/\\-/-/g' "$root/share/man/man1/zel.1" | grep -q -- "$option" || fail "zel.1 lacks $option"
done
# The pages are well-formed roff.
if command -v groff >/dev/null; then
  for page in zel zel-cli; do
    warnings="$(groff -k -man -Tutf8 -ww -z "$root/share/man/man1/$page.1" 2>&1)"
    [[ -z "$warnings" ]] || fail "$page.1: $warnings"
  done
fi
# The completion is valid bash and offers make-anime's options after its name.
offered="$(bash -c 'source "$1"; COMP_WORDS=(zel-cli make-anime --no-d); COMP_CWORD=2;
  _zel_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$root/share/bash-completion/completions/zel-cli")"
[[ "$offered" == $'--no-diffusion\n--no-dither' ]] || fail "completion of make-anime --no-d: $offered"

# One version number, from the project.
[[ "$("$root/bin/zel-cli" --version)" == "zel-cli $version" ]] || fail "zel-cli --version"
[[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/zel" --version)" == "zel $version" ]] ||
  fail "zel --version"

((failures == 0)) || exit 1
echo "install tree complete"
