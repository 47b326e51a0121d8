#!/usr/bin/env bash
# Sets up a fresh Debian machine (packages, build), creates the demo store on first use and
# starts the demo server on loopback.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELUN_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/setup.sh"

DATA="${VELUN_DEMO_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/velun-demo}"
DB="$DATA/demo.db"
PORT="${VELUN_PORT:-9090}"
SERVER="$BUILD/appserver/velun-server"
mkdir -p "$DATA"
if [[ ! -f "$DB" ]]; then
  echo "== Demo veritabanı hazırlanıyor: $DB"
  "$SERVER" init --db "$DB"
  "$SERVER" demo --db "$DB" --items "${VELUN_DEMO_ITEMS:-2000}"
fi

cat <<TXT
== Demo sunucusu 127.0.0.1:$PORT adresinde başlıyor.
   Sunucuya ulaşmak için:  $BUILD/server/velun-call --host 127.0.0.1 --port $PORT BuyukGetir text:<makine kimliği>
   Yönetim komutları:      $SERVER --help
   Durdurmak için Ctrl+C.
== Kayıtlı makineler:
TXT
"$SERVER" machine list --db "$DB" || true
exec "$SERVER" serve --db "$DB" --listen 127.0.0.1 --port "$PORT"
