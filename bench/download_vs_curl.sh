#!/usr/bin/env bash
# A 256 MiB body over http from the loopback nginx: WebRequest's throughput
# as a ratio to the curl program's, and its peak memory as a multiple of the
# body. Usage: download_vs_curl.sh FETCH_ONCE_BINARY SERVERS_ENV_FILE
set -euo pipefail
fetch_once="$1"
# shellcheck disable=SC1090
source "$2"
url="http://127.0.0.1:${HTTP_PORT}/big/256M"
body=$((256 * 1024 * 1024))

best() { sort -n | head -1; }
ours_times=() curl_times=() peaks=()
for _ in 1 2 3; do
  line="$("$fetch_once" "$url")"
  ours_times+=("$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")")
  peaks+=("$(sed -E 's/.*peak_kib=([0-9]+).*/\1/' <<<"$line")")
  curl_times+=("$(curl -s --http1.1 -o /dev/null -w '%{time_total}' "$url")")
done
ours="$(printf '%s\n' "${ours_times[@]}" | best)"
theirs="$(printf '%s\n' "${curl_times[@]}" | best)"
peak="$(printf '%s\n' "${peaks[@]}" | sort -n | tail -1)"
awk -v o="$ours" -v c="$theirs" -v p="$peak" -v b="$body" 'BEGIN {
  printf "\n256 MiB over http: ours %.3f s, curl %.3f s, throughput ratio %.2fx of curl\n", o, c, c / o
  printf "peak resident memory %.1f MiB = %.2fx the body\n", p / 1024, p * 1024 / b
}'
