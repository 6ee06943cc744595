# What the sync's shell checks say of a run's lines and of the player's
# folder; sourced, not run. snapshot reads $player.
fail() { echo "FAILED: $*"; exit 1; }
expect() {  # expect OUTPUT REGEX...
  local out=$1; shift
  for pattern in "$@"; do grep -qE -- "$pattern" <<<"$out" || { echo "$out"; fail "no line matching '$pattern'"; }; done
}
refuse() {  # refuse OUTPUT REGEX: no line may match
  ! grep -qE -- "$2" <<<"$1" || { echo "$1"; fail "a line matches '$2'"; }
}
snapshot() { (cd "$player" && find . -printf '%p %s %T@\n' | LC_ALL=C sort); }
