# listen_starts PROGRAM FOLDER: true when an installed varnel-listen starts listening (its
# socket appears only once its dictionaries are loaded); its output is left in FOLDER/listen.log.
listen_starts() {
  local program=$1 folder=$2
  head -c 32000 /dev/zero >"$folder/silence.raw"
  rm -f "$folder/listen.sock"
  "$program" --input "$folder/silence.raw" --socket "$folder/listen.sock" >"$folder/listen.log" 2>&1 &
  local pid=$! up=1
  for _ in $(seq 200); do
    [ -S "$folder/listen.sock" ] && { up=0; break; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return $up
}
