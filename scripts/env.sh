# Shared by the scripts: where the sources are and where they build. One build folder per
# checkout, so two clones on one machine never share a CMake cache.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLANORA_BUILD_DIR:-/tmp/planora-build-$(printf '%s' "$here" | md5sum | cut -c1-8)}
