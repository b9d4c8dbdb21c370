# Sourced by the run scripts: starts zorv-sitesim from "$bin" with its state
# in "$work/sim", waits for its routing lines and exports ZORV_CONNECT_TO and
# ZORV_CA_BUNDLE. Sets $simpid; the caller stops it (stop_sitesim).
start_sitesim() {
  "$bin/zorv-sitesim" --state-dir "$work/sim" >"$work/sim.env" 2>"$work/sim.log" &
  simpid=$!
  for _ in $(seq 1 300); do
    grep -q '^ZORV_CA_BUNDLE=' "$work/sim.env" 2>/dev/null && break
    kill -0 "$simpid" 2>/dev/null || { cat "$work/sim.log" >&2; return 1; }
    sleep 0.2
  done
  ZORV_CONNECT_TO=$(sed -n 's/^ZORV_CONNECT_TO=//p' "$work/sim.env")
  ZORV_CA_BUNDLE=$(sed -n 's/^ZORV_CA_BUNDLE=//p' "$work/sim.env")
  export ZORV_CONNECT_TO ZORV_CA_BUNDLE
}

stop_sitesim() {
  if [ -n "${simpid:-}" ]; then
    kill "$simpid" 2>/dev/null || true
    wait "$simpid" 2>/dev/null || true
  fi
}

# Points settings, log and history at a private profile under "$work/home",
# so the user's own files are never touched.
use_private_profile() {
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  mkdir -p "$XDG_CONFIG_HOME/Quillmere"
}
