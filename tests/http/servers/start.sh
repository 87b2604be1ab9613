#!/usr/bin/env bash
# start.sh STATE_DIR
#
# Starts the loopback servers that the http tests talk to: nginx over https
# and over plain http, and tinyproxy with Basic authentication, on free ports.
# Everything they read or write stays inside STATE_DIR; STATE_DIR/servers.env
# tells the tests where to find them, and stop.sh STATE_DIR stops them.
# README.md beside this script lists the endpoints.
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 STATE_DIR" >&2
  exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$1"
state="$(cd "$1" && pwd)"
# nginx lives in sbin, which an ordinary user's PATH may lack.
PATH="$PATH:/usr/sbin:/sbin"

# A previous run that was interrupted may still hold its ports.
bash "$here/stop.sh" "$state"
rm -f "$state/servers.env"
# A failed start leaves nothing running behind it.
up=0
trap '((up)) || bash "$here/stop.sh" "$state"' EXIT

for tool in nginx tinyproxy openssl iconv; do
  if ! command -v "$tool" >/dev/null; then
    echo "start.sh: $tool is missing (scripts/install-packages installs it)" >&2
    exit 1
  fi
done

AUTH_USER=reader
AUTH_PASSWORD=open-sesame
PROXY_USER=tunnel
PROXY_PASSWORD=proxy-pass

tls="$state/tls"
data="$state/data"
ngx="$state/nginx"
tp="$state/tinyproxy"
mkdir -p "$tls" "$data/big" "$data/charset" "$ngx/logs" "$ngx/temp" "$tp"

fail() {
  echo "start.sh: $*" >&2
  exit 1
}

# --- Certificates: a CA made afresh each run, so nothing outlives the tests.
make_certificates() {
  local curve=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
  cat >"$tls/openssl.cnf" <<'EOF'
[req]
distinguished_name = dn
prompt = no
[dn]
CN = Quotidia test CA
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, IP:::1, DNS:localhost
authorityKeyIdentifier = keyid
EOF
  openssl req -x509 "${curve[@]}" -config "$tls/openssl.cnf" -extensions ca \
    -days 30 -keyout "$tls/ca.key" -out "$tls/ca.pem" 2>/dev/null
  openssl req -new "${curve[@]}" -config "$tls/openssl.cnf" -subj "/CN=localhost" \
    -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
  openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" \
    -set_serial "0x$(openssl rand -hex 8)" -days 30 \
    -extfile "$tls/openssl.cnf" -extensions server -out "$tls/server.pem" 2>/dev/null
}

# --- Content. The big bodies are kept between runs: they only cost time.
make_big() { # make_big MIB FILE
  local want=$(($1 * 1024 * 1024)) file="$2" tmp="$2.tmp"
  if [[ -f $file && $(stat -c %s "$file") -eq $want ]]; then return; fi
  # One 64-byte line of printable ASCII, doubled until it is big enough.
  printf '%s\n' 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+ >"$tmp"
  while (($(stat -c %s "$tmp") < want)); do
    cat "$tmp" "$tmp" >"$tmp.2"
    mv "$tmp.2" "$tmp"
  done
  mv "$tmp" "$file"
}

charset_page() { # charset_page FILE ICONV_NAME HEAD_TEXT BODY_TEXT [PREFIX]
  local file="$data/charset/$1"
  {
    printf '%s' "${5-}"
    printf '<html><head>%s<title>charset</title></head><body>%s</body></html>' "$3" "$4" |
      iconv -f UTF-8 -t "$2"
  } >"$file"
}

make_content() {
  printf 'authorized' >"$data/authorized.txt"
  make_big 64 "$data/big/64M"
  if [[ ! -f $data/big/256M || $(stat -c %s "$data/big/256M") -ne $((256 * 1024 * 1024)) ]]; then
    cat "$data/big/64M" "$data/big/64M" "$data/big/64M" "$data/big/64M" >"$data/big/256M.tmp"
    mv "$data/big/256M.tmp" "$data/big/256M"
  fi
  local zh='中文页面' padding
  charset_page gbk.html CP936 '<meta charset="gbk">' "$zh"
  charset_page GB2312.html CP936 \
    '<meta http-equiv="Content-Type" content="text/html; charset=GB2312">' "$zh"
  charset_page utf-8.html UTF-8 '<meta charset="utf-8">' "$zh" $'\xEF\xBB\xBF'
  charset_page upper-utf8.html UTF-8 '<META CONTENT=text/html;CHARSET=UTF-8>' "$zh"
  charset_page big5.html BIG5 '<meta charset="big5">' '中文頁面'
  charset_page shift_jis.html SHIFT_JIS '<meta charset="shift_jis">' '日本語'
  charset_page bogus.html US-ASCII '<meta charset="no-such-charset">' 'plain ascii'
  # 1100 bytes of comment first, so the declaration (at byte 1112) lies
  # beyond the first 1024 bytes.
  padding="<!--$(head -c 1093 /dev/zero | tr '\0' x)-->"
  charset_page late.html UTF-8 '<meta charset="utf-8">' "$zh" "$padding"
}

# --- Ports: picked at random below the kernel's ephemeral range, and taken
# only if nothing answers there.
have_ipv6=0
grep -q '^0\{31\}1 ' /proc/net/if_inet6 2>/dev/null && have_ipv6=1
taken=" "
port_free() { ! (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null; }
pick_port() { # pick_port VAR
  local p i
  for ((i = 0; i < 200; i++)); do
    p=$((20000 + RANDOM % 12000))
    [[ $taken == *" $p "* ]] && continue
    port_free 127.0.0.1 "$p" || continue
    if ((have_ipv6)); then port_free ::1 "$p" || continue; fi
    taken+="$p "
    printf -v "$1" '%s' "$p"
    return 0
  done
  fail "no free loopback port found"
}

wait_for_port() { # wait_for_port PORT NAME LOG; about five seconds at most
  local i
  for ((i = 0; i < 50; i++)); do
    if ! port_free 127.0.0.1 "$1"; then return 0; fi
    sleep 0.1
  done
  echo "start.sh: $2 does not answer on port $1; end of $3:" >&2
  tail -n 20 "$3" >&2 || true
  return 1
}

# --- nginx
nginx_endpoints() { # nginx_endpoints SCHEME
  cat <<EOF
        location = /plain { return 200 "hello, world"; }
        location = /missing { return 404 "not here"; }
        location = /cookies {
            add_header Set-Cookie "a=1; Path=/";
            add_header Set-Cookie "b=2; HttpOnly";
            add_header set-cookie "c=3";
            add_header Set-Cookie "d=x=y";
            return 200 "cookies";
        }
        location = /redirect/relative { return 302 /plain; }
        location = /redirect/absolute { return 302 $1://127.0.0.1:\$server_port/plain; }
        location = /redirect/set-cookie {
            add_header Set-Cookie "r=1; Path=/";
            return 302 /echo/cookie;
        }
        location = /echo/cookie { return 200 "\$http_cookie"; }
        location = /echo/method { return 200 "\$request_method \$request_uri"; }
        # A static file, because "return" would answer before the access check.
        location = /auth/plain {
            auth_basic "Quotidia tests";
            auth_basic_user_file "$ngx/htpasswd";
            alias "$data/authorized.txt";
        }
        location /big/ {
            alias "$data/big/";
            default_type application/octet-stream;
        }
        location /charset/ {
            alias "$data/charset/";
            types { }
            default_type text/html;
            charset off;
        }
        location = /chain/0 { return 200 "end of chain"; }
EOF
  local n
  for ((n = 1; n <= 12; n++)); do
    echo "        location = /chain/$n { return 302 /chain/$((n - 1)); }"
  done
}

nginx_listen() { # nginx_listen PORT [ssl]
  echo "        listen 127.0.0.1:$1${2:+ $2};"
  if ((have_ipv6)); then echo "        listen [::1]:$1${2:+ $2};"; fi
}

write_nginx_conf() {
  cat >"$ngx/nginx.conf" <<EOF
# Generated by start.sh for the http tests; rewritten on every start.
#
# Both servers (https on $HTTPS_PORT, http on $HTTP_PORT) answer:
#   /plain                200 text/plain "hello, world" (no newline)
#   /missing              404 "not here"
#   /cookies              200 with Set-Cookie a=1; Path=/ | b=2; HttpOnly |
#                         lower-case set-cookie c=3 | d=x=y
#   /redirect/relative    302, Location: /plain
#   /redirect/absolute    302 to the absolute URL of /plain on the same server
#   /redirect/set-cookie  302 to /echo/cookie, setting r=1; Path=/
#   /echo/cookie          200, body = the request's Cookie header value
#   /echo/method          200, body = "METHOD OBJECT-NAME"
#   /auth/plain           Basic authentication ($AUTH_USER), 200 "authorized"
#   /chain/N (N=0..12)    /chain/0: 200 "end of chain"; else 302 to /chain/N-1
#   /big/64M, /big/256M   64 MiB and 256 MiB of repeating printable ASCII
#   /charset/*.html       text/html without a charset parameter
# Only the https server answers:
#   /redirect/to-http     302 to http://127.0.0.1:$HTTP_PORT/plain

user root;
worker_processes 1;
daemon on;
pid "$ngx/nginx.pid";
lock_file "$ngx/nginx.lock";
error_log "$ngx/logs/error.log" notice;

events { worker_connections 256; }

http {
    access_log "$ngx/logs/access.log";
    client_body_temp_path "$ngx/temp/body";
    proxy_temp_path "$ngx/temp/proxy";
    fastcgi_temp_path "$ngx/temp/fastcgi";
    uwsgi_temp_path "$ngx/temp/uwsgi";
    scgi_temp_path "$ngx/temp/scgi";

    default_type text/plain;
    charset off;
    sendfile on;
    keepalive_timeout 0;
    # Relative redirects keep Location exactly as written below.
    absolute_redirect off;

    server {
$(nginx_listen "$HTTPS_PORT" ssl)
        ssl_certificate "$tls/server.pem";
        ssl_certificate_key "$tls/server.key";
        ssl_protocols TLSv1.2 TLSv1.3;
        location = /redirect/to-http { return 302 http://127.0.0.1:$HTTP_PORT/plain; }
$(nginx_endpoints https)
    }

    server {
$(nginx_listen "$HTTP_PORT")
$(nginx_endpoints http)
    }
}
EOF
}

start_nginx() {
  printf '%s:%s\n' "$AUTH_USER" "$(openssl passwd -apr1 "$AUTH_PASSWORD")" >"$ngx/htpasswd"
  local attempt
  for ((attempt = 1; attempt <= 3; attempt++)); do
    pick_port HTTPS_PORT
    pick_port HTTP_PORT
    write_nginx_conf
    # The master daemonizes; its first process exits once the ports are bound.
    if nginx -p "$ngx" -c "$ngx/nginx.conf" -e "$ngx/logs/error.log" \
      </dev/null >>"$ngx/logs/startup.log" 2>&1; then
      wait_for_port "$HTTPS_PORT" nginx "$ngx/logs/error.log" &&
        wait_for_port "$HTTP_PORT" nginx "$ngx/logs/error.log" && return 0
      bash "$here/stop.sh" "$state" nginx
    fi
    # Most likely a port was taken between the probe and the bind: try others.
  done
  tail -n 20 "$ngx/logs/startup.log" "$ngx/logs/error.log" >&2 || true
  fail "nginx did not start"
}

# --- tinyproxy
start_tinyproxy() {
  local attempt
  for ((attempt = 1; attempt <= 3; attempt++)); do
    pick_port PROXY_PORT
    # No ConnectPort line: without one tinyproxy allows CONNECT to any port.
    cat >"$tp/tinyproxy.conf" <<EOF
# Generated by start.sh for the http tests; rewritten on every start.
Port $PROXY_PORT
Listen 127.0.0.1
Allow 127.0.0.1
# Named only to quiet its warning: it stays the user that started it.
User $(id -un)
Group $(id -gn)
BasicAuth $PROXY_USER $PROXY_PASSWORD
Timeout 30
MaxClients 64
PidFile "$tp/tinyproxy.pid"
LogFile "$tp/tinyproxy.log"
LogLevel Info
ViaProxyName "tinyproxy"
EOF
    rm -f "$tp/tinyproxy.pid"
    # tinyproxy daemonizes itself and writes its pid file.
    if tinyproxy -c "$tp/tinyproxy.conf" </dev/null >>"$tp/tinyproxy.log" 2>&1 &&
      wait_for_port "$PROXY_PORT" tinyproxy "$tp/tinyproxy.log"; then
      return 0
    fi
    bash "$here/stop.sh" "$state" tinyproxy
  done
  tail -n 20 "$tp/tinyproxy.log" >&2 || true
  fail "tinyproxy did not start"
}

make_certificates
make_content
start_nginx
start_tinyproxy

cat >"$state/servers.env.tmp" <<EOF
HTTPS_PORT=$HTTPS_PORT
HTTP_PORT=$HTTP_PORT
PROXY_PORT=$PROXY_PORT
PROXY_USER=$PROXY_USER
PROXY_PASSWORD=$PROXY_PASSWORD
AUTH_USER=$AUTH_USER
AUTH_PASSWORD=$AUTH_PASSWORD
CA_FILE=$tls/ca.pem
DATA_DIR=$data
EOF
mv "$state/servers.env.tmp" "$state/servers.env"
# shellcheck disable=SC2034 # read by the EXIT trap
up=1
echo "servers up: https $HTTPS_PORT, http $HTTP_PORT, proxy $PROXY_PORT ($state/servers.env)"
