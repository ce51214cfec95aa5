# Sourced by the scripts: a static Qt for Windows, built once from Debian's
# own qtbase source with Debian's mingw-w64 and kept outside the clone.
# Usage: windows_qt_prefix   (prints the install prefix; builds it if missing)

# Where the Qt and its source are kept, outside any clone.
WINDOWS_QT_CACHE=${STORMLINE_CACHE:-/var/cache/stormline}

WINDOWS_QT_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev qt6-base-dev qt6-base-dev-tools
                     cmake ninja-build perl xz-utils)

# Everything the library is built with; the cache key hashes it, so a change
# here builds a new Qt beside the old one.
WINDOWS_QT_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF
  # As configure's -no-opengl: FEATURE_opengl=OFF alone leaves dynamic OpenGL
  # on, and Qt 6.4's Windows plugin then does not compile.
  -DINPUT_opengl=no
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_icu=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_system_zlib=OFF
  # Direct2D stays on: without it Qt 6.4 leaves the DirectWrite font
  # database out of QtGui while its Windows plugin still refers to it.
  # Debian's source lacks the tablet header the Windows plugin would need.
  -DFEATURE_tabletevent=OFF
)

windows_qt_version() {
  dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | sed 's/[+-].*//'
}

windows_qt_prefix() {
  local version key cache
  version=$(windows_qt_version)
  [ -n "$version" ] || { echo "qt6-base-dev is not installed" >&2; return 1; }
  key=$(printf '%s\n' "$version" "${WINDOWS_QT_OPTIONS[@]}" "$(x86_64-w64-mingw32-g++-posix -dumpversion)" \
        | sha256sum | cut -c1-12)
  cache=$WINDOWS_QT_CACHE/qt-$version-mingw-static-$key
  if [ -f "$cache/done" ]; then
    echo "$cache/qt"
    return 0
  fi
  windows_qt_build "$version" "$cache" >&2 || return 1
  echo "$cache/qt"
}

# Adds a deb-src entry made from the machine's own apt source, so the source
# package comes from the same archive as the binaries.
windows_qt_source_entry() {
  local list=/etc/apt/sources.list.d/stormline-deb-src.sources
  [ -f "$list" ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  local src
  for src in /etc/apt/sources.list.d/*.sources; do
    grep -q '^Types:.*deb-src' "$src" && return 0
  done
  src=/etc/apt/sources.list.d/debian.sources
  [ -f "$src" ] || { echo "no Debian apt source to copy a deb-src entry from" >&2; return 1; }
  sed 's/^Types:.*/Types: deb-src/' "$src" | "${sudo[@]}" tee "$list" > /dev/null
  "${sudo[@]}" apt-get update -q
}

windows_qt_build() {
  local version=$1 cache=$2
  local work=$cache.work
  local started=$SECONDS
  echo "Building a static Qt $version for Windows into $cache (once; about half an hour on 2 cores)"
  rm -rf "$work"
  mkdir -p "$work/download"
  local tarball
  tarball=$(ls "$WINDOWS_QT_CACHE"/download/qt6-base_"$version"*.orig.tar.xz 2>/dev/null | head -1)
  if [ -z "$tarball" ]; then
    windows_qt_source_entry
    mkdir -p "$WINDOWS_QT_CACHE/download"
    (cd "$WINDOWS_QT_CACHE/download" && apt-get source --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)") \
      || (cd "$WINDOWS_QT_CACHE/download" && apt-get source --download-only qt6-base)
    tarball=$(ls "$WINDOWS_QT_CACHE"/download/qt6-base_"$version"*.orig.tar.xz | head -1)
  fi
  tar -xf "$tarball" -C "$work"
  local src
  src=$(find "$work" -maxdepth 1 -type d -name 'qtbase*' | head -1)
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  cmake -S "$src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$cache/qt" "${WINDOWS_QT_OPTIONS[@]}" > "$work/configure.log" 2>&1 \
    || { tail -40 "$work/configure.log"; return 1; }
  cmake --build "$work/build" -j "$(nproc)" > "$work/build.log" 2>&1 \
    || { tail -40 "$work/build.log"; return 1; }
  cmake --install "$work/build" > "$work/install.log" 2>&1 || { tail -20 "$work/install.log"; return 1; }
  rm -rf "$work"
  touch "$cache/done"
  echo "Static Qt for Windows built in $(( (SECONDS - started) / 60 )) min: $cache/qt"
}
