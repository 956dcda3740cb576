#!/usr/bin/env bash
# Takes a screenshot of the program on a private X display, in a private
# data folder. Usage: scripts/screenshot.sh [out.png] [scene]
#   main      the main window with a day of calls (default)
#   customer  a customer's tab, opened by a call of a known number
#   telbook   the phone book for that number ("電話帳(&T)")
#   search    the customer search of the customer tab, after a search
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-main-window.png}")"
SCENE="${2:-main}"
command -v import >/dev/null || { apt-get install -y --no-install-recommends imagemagick >/dev/null; }
command -v xdotool >/dev/null || { apt-get install -y --no-install-recommends xdotool >/dev/null; }
[ -x build/app/main/kuruten3 ] || bash scripts/build.sh

WORK="$(mktemp -d /tmp/kuruten-shot-XXXXXX)"
DATA="$WORK/data/hoshiba/kuruten3"
mkdir -p "$WORK/rt" "$DATA" "$WORK/fblock" && chmod 700 "$WORK/rt"
printf '[UDP]\nBROADCAST_ADDRESS=127.0.0.1\n[SPEAK]\nENABLED=0\n' >"$DATA/kuruten3.ini"
# A call opens its caller's customer tab in the customer scenes.
[ "$SCENE" = main ] || printf '[BASIC]\nAUTO_CUST_INFO=1\n' >>"$DATA/kuruten3.ini"
DISPLAY_NO=$((100 + RANDOM % 400))
Xvfb ":$DISPLAY_NO" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=":$DISPLAY_NO" KURUTEN_COMMON_APPDATA="$WORK/data" XDG_RUNTIME_DIR="$WORK/rt" \
       XDG_CONFIG_HOME="$WORK/cfg" KURUTEN_MSG_LOG="$WORK/msg.txt" KURUTEN_MSG_ANSWER=no \
       FIREBIRD_LOCK="$WORK/fblock"
sleep 1
jwm >/dev/null 2>&1 &
JWM=$!
APP=""
trap 'kill $APP 2>/dev/null; wait $APP 2>/dev/null; kill $JWM $XVFB 2>/dev/null || true; rm -rf "$WORK"' EXIT

start_app() {
  ./build/app/main/kuruten3 >/dev/null 2>&1 &
  APP=$!
  for _ in $(seq 1 100); do grep -qs "Soft Phone Ver" "$DATA"/log/*.txt && break; sleep 0.2; done
}
stop_app() {
  kill "$APP"; wait "$APP" 2>/dev/null || true
  rm -f "$DATA"/log/*.txt
}
hand_off() { ./build/app/main/kuruten3 /s "$1" >/dev/null 2>&1 || true; sleep 0.3; }

# A customer with a child number, calls with memos and custom fields, written
# into the database the first start created (CP932 text, as the program keeps it).
seed() {
  cat >"$WORK/seed.sql" <<'SQL'
insert into CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, BIRTH_DT, SEX, CUST_TEL, CUST_TEL_NON, FAX_NO, FAX_NO_NON, ZIP_CD,
  ADDRESS, MAP_URL, EMAIL, HP_URL, USERID, OTHERS, OPTION_01, OPTION_02, OPTION_03, OPTION_11, UPDT)
  values (gen_id(SEQ_CUST_NO, 1), '株式会社山田商店', 'カブシキガイシャヤマダショウテン', '1975/04/12', 1, '03-1234-5678',
  '0312345678', '03-1234-5600', '0312345600', '100-0005', '東京都千代田区丸の内１－１－１ 山田ビル３階', '',
  'info@yamada.example.jp', 'https://yamada.example.jp/', '', '毎月末に請求書を送付。', '01', '2023/04/01', '10:30',
  '担当は山田部長', 'NOW');
insert into TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) values ('0312345678', '0312345678', '株式会社山田商店', 'やまだしょうてん', 'NOW');
insert into TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) values ('09011112222', '0312345678', '山田太郎 (子番号)', 'やまだたろう', 'NOW');
insert into TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) values ('0312345679', '0312345678', '山田商店 経理部 (子番号)', 'やまだしょうてんけいりぶ', 'NOW');
insert into CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, SEX, CUST_TEL, CUST_TEL_NON, ADDRESS, UPDT)
  values (gen_id(SEQ_CUST_NO, 1), '山田工務店', 'ヤマダコウムテン', 0, '045-111-2222', '0451112222', '神奈川県横浜市西区', 'NOW');
insert into CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, SEX, CUST_TEL, CUST_TEL_NON, ADDRESS, UPDT)
  values (gen_id(SEQ_CUST_NO, 1), '山田歯科医院', 'ヤマダシカイイン', 0, '06-6333-4444', '0663334444', '大阪府大阪市北区', 'NOW');
insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_TERM, TEL_MEMO, TEL_TIME, PORT_NO)
  values (gen_id(SEQ_LOG_NO, 1), cast('NOW' as date) - 3, '09011112222', '着信', '0:02:10', '見積の件で折り返し希望', 130, 1);
insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_TERM, TEL_MEMO, TEL_TIME, PORT_NO)
  values (gen_id(SEQ_LOG_NO, 1), cast('NOW' as date) - 2, '0312345679', '発信', '0:05:00', '請求書の再発行', 300, 1);
insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE, LIST_NO) values (1, '業種', 'm', 1);
insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE, LIST_NO) values (2, '契約日', 'd', 2);
insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE, LIST_NO) values (3, '定期訪問', 't', 3);
insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE, LIST_NO) values (11, '申し送り', 's', 11);
insert into OPTION_D_M (OPTION_ID, DID, DNAME, LIST_ID) values (1, '01', '小売業', '1');
insert into OPTION_D_M (OPTION_ID, DID, DNAME, LIST_ID) values (1, '02', '製造業', '2');
commit;
SQL
  iconv -f UTF-8 -t CP932 "$WORK/seed.sql" >"$WORK/seed-cp932.sql"
  isql-fb -q -ch NONE -user SYSDBA -password fbkey2468 "$WORK/data/hoshiba/common/KURUDB.FDB" \
    -i "$WORK/seed-cp932.sql" >/dev/null
}

# The main window, for the keys sent to it.
main_window() { xdotool search --sync --onlyvisible --name "くるてん３" | head -1; }
press() { xdotool windowactivate --sync "$(main_window)" key --clearmodifiers "$@"; sleep 1; }

if [ "$SCENE" = main ]; then
  start_app
  for n in 0312345678 0663334444 "" 0451112222 09011112222; do hand_off "$n"; done
  sleep 4 # the caller panel blinks for a few seconds
else
  start_app
  stop_app
  seed
  start_app
  hand_off 0663334444
  hand_off 09011112222 # a child number: its customer's tab opens
  sleep 4
  case "$SCENE" in
    customer) ;;
    telbook) press alt+t ;;
    search)
      # The customer tab's search: item "代表電話番号", value "0", partial match.
      xdotool windowactivate --sync "$(main_window)" key --clearmodifiers alt+s
      sleep 1
      xdotool key Home Tab type "0"
      xdotool key Tab Right Tab space
      sleep 1
      ;;
    *) echo "unknown scene: $SCENE" >&2; exit 2 ;;
  esac
fi
import -window root "$OUT"
echo "screenshot: $OUT"
