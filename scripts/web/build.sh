# Run by scripts/build-web inside its Debian 13 chroot, in the tree: builds
# Qt for WebAssembly (once), then the game's site, then, with "test", plays it,
# or, with "bench", measures it against its floor (bench/web.js), or, with
# "orca", has Orca hear a game of it in Chromium on Xvfb; "prepare"
# builds the site and fetches what the test needs.
# Usage: bash scripts/web/build.sh [prepare | test | bench | orca]
set -euo pipefail
cd "$(dirname "$0")/../.."
mode=${1:-}

# Qt's source and its build tools, the chroot's own Qt for moc, rcc and the
# pictures drawn ahead, and emscripten; Chromium and puppeteer-core's
# Node.js for the test, with the web servers a school runs, fetched
# with Qt when ./check builds it beforehand.
packages=(emscripten dpkg-dev cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-svg-dev
          qt6-translations-l10n fonts-liberation2 fonts-dejavu-core python3-fonttools zip brotli)
[ -z "$mode" ] || packages+=(chromium nodejs npm nginx apache2)
# Orca with its speech server, the X server and the accessibility bus, as the
# desktop's Orca test has them (scripts/deps.sh); fetched beforehand too, as
# ./check --web has Orca hear the page after the test.
case $mode in
    orca | prepare) packages+=(xvfb xauth x11-utils x11-xserver-utils xdotool openbox imagemagick dbus at-spi2-core
                               python3-pyatspi orca speech-dispatcher speech-dispatcher-espeak-ng libao4) ;;
esac
missing=()
for pkg in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing in the chroot: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

. scripts/web/qt.sh
start=$SECONDS
ponderine_qt_web
echo "Qt for WebAssembly ready after $((SECONDS - start)) s"

# The tree is read-only here: the build goes to the folder scripts/build-web
# names, which copies what is made out.
build=${PONDERINE_WEB_BUILD:?named by scripts/build-web}
start=$SECONDS
# The pictures are drawn by the chroot's own build of the drawing tool (Qt
# for WebAssembly has no Qt Svg), which also draws the site's icons.
cmake -S . -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPONDERINE_TESTS=OFF -DPONDERINE_BENCH=OFF >/dev/null
cmake --build "$build/host" --target ponderine_artbake
artbake=$build/host/window/ponderine_artbake
"$artbake" window/art "$build/icons" --icon 192 512 --ratios 1 --pictures

# The faces the control table asks for, cut to the letters of Western
# European languages: the whole faces would weigh more than the game. Cut
# once (remove the build folder to cut them anew), so a rebuild links nothing anew.
fonts=$build/fonts
mkdir -p "$fonts"
for face in liberation/LiberationSans-Regular liberation/LiberationSans-Bold \
            liberation/LiberationSans-BoldItalic liberation/LiberationSerif-Bold dejavu/DejaVuSans-Bold; do
    [ -e "$fonts/${face#*/}.ttf" ] ||
        python3 -m fontTools.subset "/usr/share/fonts/truetype/$face.ttf" --output-file="$fonts/${face#*/}.ttf" \
            --unicodes='U+0020-007E,U+00A0-017F,U+2013-2014,U+2018-201E,U+2022,U+2026,U+20AC' \
            --layout-features='*'
done

ponderine_emsdk
prefix=$(ponderine_qt_web_prefix)
# A build tree keeps the Qt it was first configured with: one made with
# another build of Qt (new options, a new patch) starts anew.
for tree in "$build/wasm" "$build/wasm-no-asyncify"; do
    [ "$(cat "$tree/ponderine-qt-prefix" 2>/dev/null)" = "$prefix" ] || rm -rf "$tree"
    mkdir -p "$tree"
    echo "$prefix" >"$tree/ponderine-qt-prefix"
done
"$prefix/bin/qt-cmake" -S . -B "$build/wasm" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF -DPONDERINE_WERROR=ON -DPONDERINE_TESTS=OFF \
    -DPONDERINE_BENCH="$([ "$mode" = bench ] && echo ON || echo OFF)" \
    -DPONDERINE_ARTBAKE="$artbake" -DPONDERINE_WEB_FONTS="$fonts" >/dev/null
nice -n 10 cmake --build "$build/wasm" --parallel "$(nproc)"

# The site: the page, the game, Qt's loader, and what makes it an app that
# starts offline. The page is told the game's size for its progress bar and
# to know the .wasm whole; the offline copy (sw.js) names each file with its
# SHA-256, so that a new build replaces it whole, never a file at a time.
# Usage: lay_out_site SITE GAME_JS GAME_WASM
lay_out_site() {
    local site=$1 name files build_id
    rm -rf "$site"
    mkdir -p "$site"
    cp "$2" "$site/ponderine.js"
    cp "$3" "$site/ponderine.wasm"
    cp "$build/wasm/app/qtloader.js" web/manifest.webmanifest web/index.html web/page.css web/a11y.js "$site/"
    cp "$build/icons/icon-192.png" "$build/icons/icon-512.png" "$site/"
    sed -e "s/@PONDERINE_WASM_BYTES@/$(stat -c %s "$site/ponderine.wasm")/" \
        -e 's/@PONDERINE_DESIGN_WIDTH@/792/' -e 's/@PONDERINE_DESIGN_HEIGHT@/580/' web/page.js >"$site/page.js"
    files=
    for name in index.html page.js page.css a11y.js qtloader.js ponderine.js ponderine.wasm manifest.webmanifest \
                icon-192.png icon-512.png; do
        files+="${files:+, }\"$name\": \"$(sha256sum "$site/$name" | cut -c1-64)\""
    done
    build_id=$(printf '%s' "$files" | sha256sum | cut -c1-12)
    sed -e "s/@PONDERINE_BUILD@/$build_id/" -e "s/@PONDERINE_FILES@/{ $files }/" web/sw.js >"$site/sw.js"
    # The game and its scripts compressed ahead, for the servers' shipped
    # settings to send: brotli at its best, about a quarter smaller than
    # gzip, too slow to do for each request. Each is made once for its
    # content, as the .wasm takes brotli most of a minute.
    mkdir -p "$build/compressed"
    for name in ponderine.wasm ponderine.js qtloader.js page.js; do
        local kept
        kept=$build/compressed/$(sha256sum "$site/$name" | cut -c1-64)
        [ -e "$kept.br" ] || { brotli -q 11 -c "$site/$name" >"$kept.br.new" && mv "$kept.br.new" "$kept.br"; }
        [ -e "$kept.gz" ] || { gzip -9 -n -c "$site/$name" >"$kept.gz.new" && mv "$kept.gz.new" "$kept.gz"; }
        cp "$kept.br" "$site/$name.br"
        cp "$kept.gz" "$site/$name.gz"
        touch "$kept.br" "$kept.gz"
    done
    find "$build/compressed" -type f -mtime +7 -delete
    # What each kind of server needs to send it so.
    cp web/ponderine.nginx.conf web/.htaccess web/web.config "$site/"
}
site=$build/site
lay_out_site "$site" "$build/wasm/app/ponderine.js" "$build/wasm/app/ponderine.wasm"
version=$(sed -n 's/^project(ponderine VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_file=$build/ponderine-$version-web.zip
rm -f "$zip_file"
(cd "$site" && zip -q -9 -r "$zip_file" .)
echo "Web build took $((SECONDS - start)) s:"
ls -l "$site" "$zip_file"
printf 'ponderine.wasm gzip -9: %s bytes, brotli -q 11: %s bytes\n' "$(stat -c %s "$site/ponderine.wasm.gz")" \
    "$(stat -c %s "$site/ponderine.wasm.br")"
[ -n "$mode" ] || exit 0

# puppeteer-core drives the chroot's Chromium; npm's own browser download is
# not wanted (it cannot be fetched on a build machine without the internet).
node_dir=/opt/ponderine/node
if [ ! -d "$node_dir/node_modules/puppeteer-core" ]; then
    mkdir -p "$node_dir"
    (cd "$node_dir" && npm install --no-audit --no-fund --silent puppeteer-core@23)
fi
export NODE_PATH=$node_dir/node_modules
[ "$mode" != prepare ] || exit 0
start=$SECONDS
if [ "$mode" = orca ]; then
    bash tests/e2e/run_e2e.sh "$site/index.html" "$build/web-orca" --screen 1920x1080 --only web
    echo "Web Orca test took $((SECONDS - start)) s"
    exit 0
fi
if [ "$mode" = test ]; then
    # The next build, for the update the test puts on the server: the same
    # game, with a mark of its own in ponderine.js and in the .wasm (a
    # custom section, which WebAssembly ignores).
    mkdir -p "$build/next"
    cp "$site/ponderine.wasm" "$site/ponderine.js" "$build/next/"
    printf '\x00\x16\x14ponderine-test-buildB' >>"$build/next/ponderine.wasm"
    echo '// the next build' >>"$build/next/ponderine.js"
    lay_out_site "$build/site-next" "$build/next/ponderine.js" "$build/next/ponderine.wasm"
    node tests/e2e/web.js "$site" "$build/screenshots" "$build/site-next"
    echo "Web test took $((SECONDS - start)) s"
    exit 0
fi

node bench/web.js "$site" "$build/wasm/bench"
# What asyncify costs: the same game linked without it (its boxes do not open).
"$prefix/bin/qt-cmake" -S . -B "$build/wasm-no-asyncify" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF -DPONDERINE_TESTS=OFF -DPONDERINE_BENCH=OFF -DPONDERINE_WEB_ASYNCIFY=OFF \
    -DPONDERINE_ARTBAKE="$artbake" -DPONDERINE_WEB_FONTS="$fonts" >/dev/null
nice -n 10 cmake --build "$build/wasm-no-asyncify" --parallel "$(nproc)" --target ponderine >/dev/null
for wasm in "$build/wasm/app/ponderine.wasm" "$build/wasm-no-asyncify/app/ponderine.wasm" \
            "$build/wasm/bench/ponderine_floor_prompt.wasm"; do
    printf '%s: %s bytes, gzip -9 %s\n' "$wasm" "$(stat -c %s "$wasm")" "$(gzip -9 -c "$wasm" | wc -c)"
done
echo "Web bench took $((SECONDS - start)) s"
