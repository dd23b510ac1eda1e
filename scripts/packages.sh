# Debian 12 packages the project needs to build, test and run. Sourced by the other scripts.
# desktop-file-utils, appstream and man-db check the installed desktop entry, metadata and man
# pages; dpkg-dev and file let CPack work out the .deb's library dependencies.
TESSALOOM_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools
  freetds-dev freetds-bin
  libsqlite3-dev sqlite3
  libicu-dev
  fonts-liberation
  xvfb xauth time bc
  desktop-file-utils appstream man-db
  dpkg-dev file
)

# Installs whatever is missing; a second call with everything present does nothing.
tessaloom_install_packages() {
  local missing=()
  local pkg
  for pkg in "${TESSALOOM_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them as root: apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
}
