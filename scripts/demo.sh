#!/usr/bin/env bash
# Sets up a fresh Debian machine (packages, build), prepares the demo store with this machine
# registered for the demo dealer, starts the demo server on loopback and the client against it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELUN_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/setup.sh"

DATA="${VELUN_DEMO_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/velun-demo}"
DB="$DATA/demo.db"
PORT="${VELUN_PORT:-9090}"
SERVER="$BUILD/appserver/velun-server"
CLIENT="$BUILD/app/velun-b2b"
mkdir -p "$DATA"

MACHINE_ID="$("$CLIENT" --machine-id)"
if [[ ! -f "$DB" ]]; then
  echo "== Demo veritabanı hazırlanıyor: $DB"
  "$SERVER" init --db "$DB"
  "$SERVER" demo --db "$DB" --items "${VELUN_DEMO_ITEMS:-2000}" --machine "$MACHINE_ID"
elif ! "$SERVER" machine list --db "$DB" | grep -qF -- "$MACHINE_ID"; then
  "$SERVER" machine register --db "$DB" --id "$MACHINE_ID" --user DEMO
fi

"$SERVER" serve --db "$DB" --listen 127.0.0.1 --port "$PORT" &
SERVER_PID=$!
trap 'kill "$SERVER_PID" 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; then break; fi
  sleep 0.1
done

cat <<TXT

== VELUN B2B demo
   Sunucu:          127.0.0.1:$PORT (veritabanı $DB)
   Bu makine:       $MACHINE_ID
   Kullanıcı Adı:   DEMO
   Şifre:           1234
   Temsilci olarak denemek için:
     $SERVER machine register --db "$DB" --id "$MACHINE_ID" --user TEMSILCI
   (şifre yine 1234; bayiye dönmek için aynı komutta --user DEMO)

TXT

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "== Ekran bulunamadı (DISPLAY boş): istemci başlatılamıyor. Sunucu çalışıyor; durdurmak için Ctrl+C."
  wait "$SERVER_PID"
  exit 0
fi
VELUN_SERVER_HOST=127.0.0.1 VELUN_SERVER_PORT="$PORT" "$CLIENT"
