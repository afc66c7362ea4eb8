# Sourced by the browser tests: finds headless Chromium (exit 77, skipped,
# when it is not installed) and gives chromium_run and fail. Each run gets its
# own profile and home under $dir, so runs side by side never share one; as
# root (in CI) Chromium runs only without its sandbox.
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is not installed (bash scripts/install-deps.sh browser): skipped"
  exit 77
fi

chromium_run() {
  local profile
  profile=$(mktemp -d "$dir/profile.XXXXXX")
  HOME=$profile timeout 180 "$browser" --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
    --no-first-run --no-default-browser-check --hide-scrollbars --user-data-dir="$profile" \
    --enable-logging=stderr --v=0 "$@"
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
