# shellcheck shell=bash
# Helpers shared by scripts/run and scripts/test (sourced, not run).
# Everything here is idempotent: a warm machine skips apt, reuses build trees,
# TLS material and Wine prefixes, and only redoes what is missing.

VANTARY_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VANTARY_BUILD=$VANTARY_ROOT/build
VANTARY_LOGS=$VANTARY_BUILD/logs
VANTARY_TLS_DIR=$VANTARY_BUILD/tls
VANTARY_TEST_URL=https://localhost:47443/realtime.php
VANTARY_TLS_PORT=47443
VANTARY_PLAIN_PORT=47080
# A second https host for the redirect tests; its listener is the test's own.
VANTARY_OTHER_TLS_PORT=47444
VANTARY_OTHER_PLAIN_PORT=47081
export VANTARY_ROOT VANTARY_TLS_DIR

mkdir -p "$VANTARY_LOGS"

say() { printf '==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Seconds since the epoch, for the timings printed beside each step.
now() { date +%s; }
since() { echo "$(( $(now) - $1 )) s"; }

# Runs a command with its output in a log file; on failure shows the log's end.
logged() {
    local log=$1; shift
    if ! "$@" >>"$log" 2>&1; then
        printf 'error: %s failed; last lines of %s:\n' "$*" "$log" >&2
        tail -n 60 "$log" >&2
        return 1
    fi
}

# --- packages --------------------------------------------------------------

VANTARY_PACKAGES=(
    g++ cmake ninja-build file python3 googletest libgtest-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64 wine32:i386
    xvfb xauth xdotool imagemagick x11-apps x11-utils
    openssl stunnel4 tinyproxy iproute2
    fonts-crosextra-carlito fonts-liberation fonts-wine
)

package_installed() {
    dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null | grep -q '^ii'
}

install_packages() {
    local start missing=() p need_update=0 log=$VANTARY_LOGS/apt.log
    start=$(now)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        [ "$(id -u)" = 0 ] || die "the i386 architecture is not enabled; run as root"
        say "enabling the i386 package architecture (for wine32)"
        dpkg --add-architecture i386
        need_update=1
    fi
    for p in "${VANTARY_PACKAGES[@]}"; do
        package_installed "$p" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        say "packages: all present ($(since "$start"))"
        return 0
    fi
    [ "$(id -u)" = 0 ] || die "missing packages (run as root to install): ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    say "installing ${missing[*]} (log: ${log#"$VANTARY_ROOT"/})"
    # A package list older than the i386 architecture knows no i386 packages,
    # and a stale one names files the mirror no longer has: update then.
    if [ $need_update = 1 ] || ! apt-get install -y -q --simulate "${missing[@]}" >/dev/null 2>&1; then
        logged "$log" apt-get update -q
        need_update=2
    fi
    if ! apt-get install -y -q "${missing[@]}" >>"$log" 2>&1; then
        [ $need_update = 2 ] || logged "$log" apt-get update -q
        logged "$log" apt-get install -y -q "${missing[@]}"
    fi
    say "packages installed ($(since "$start"))"
}

# --- which Windows build this machine can run ---------------------------------

# Assembles a 32-bit ELF that only exits: it runs unless the kernel lacks
# ia32 emulation, which is exactly what wine32 needs.
kernel_runs_i386() {
    local dir rc=1
    dir=$(mktemp -d)
    # shellcheck disable=SC2016 # assembler text, not shell
    printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
    if as --32 -o "$dir/exit.o" "$dir/exit.s" 2>/dev/null &&
        ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null &&
        "$dir/exit" 2>/dev/null; then
        rc=0
    fi
    rm -rf "$dir"
    return $rc
}

# Sets VANTARY_ARCH (win32 or win64), VANTARY_WINE_LOADER and WINESERVER.
# VANTARY_FORCE_ARCH=win64 tries the 64-bit path on a machine that could do both.
detect_wine_arch() {
    local why=${1:-testing}
    if [ "${VANTARY_FORCE_ARCH:-}" = win64 ] || ! kernel_runs_i386; then
        VANTARY_ARCH=win64
        VANTARY_WINE_LOADER=/usr/lib/wine/wine64
        if [ "${VANTARY_FORCE_ARCH:-}" = win64 ]; then
            say "VANTARY_FORCE_ARCH=win64: $why the 64-bit build of the same sources under wine64"
        else
            say "this kernel cannot run 32-bit programs; $why the 64-bit build of the same sources under wine64"
        fi
    else
        VANTARY_ARCH=win32
        VANTARY_WINE_LOADER=/usr/lib/wine/wine
        say "this kernel runs 32-bit programs: $why the 32-bit build under wine32"
    fi
    WINESERVER=/usr/lib/wine/wineserver
    export VANTARY_ARCH VANTARY_WINE_LOADER WINESERVER
    # Programs that a Windows program starts go through WINELOADER: pin it
    # to the loader chosen here.
    export WINELOADER=$VANTARY_WINE_LOADER
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# --- builds ------------------------------------------------------------------

# configure_and_build <tree> [cmake args...]: configures once with Ninja, then
# re-applies the arguments (cheap when nothing changed) and builds.
configure_and_build() {
    local tree=$1 start log gen=()
    shift
    start=$(now)
    log=$VANTARY_LOGS/$(basename "$tree").log
    : >"$log"
    [ -f "$tree/CMakeCache.txt" ] || gen=(-G Ninja)
    logged "$log" cmake -S "$VANTARY_ROOT" -B "$tree" "${gen[@]}" "$@"
    logged "$log" cmake --build "$tree"
    say "built ${tree#"$VANTARY_ROOT"/} ($(since "$start"))"
}

toolchain_of() {
    case $1 in
        win32) echo "$VANTARY_ROOT/cmake/mingw-i686.cmake" ;;
        win64) echo "$VANTARY_ROOT/cmake/mingw-x86_64.cmake" ;;
        *) die "unknown Windows architecture $1" ;;
    esac
}

build_native() {
    configure_and_build "$VANTARY_BUILD/native" -DCMAKE_BUILD_TYPE=Debug
}

# The product: Release, the endpoint given in VANTARY_UPLOAD_URL or, without
# it, the project's default (dropping the cache entry brings the default back).
build_product() {
    local arch=${1:-win32} url=()
    if [ -n "${VANTARY_UPLOAD_URL:-}" ]; then
        url=(-DVANTARY_UPLOAD_URL="$VANTARY_UPLOAD_URL")
    else
        url=(-UVANTARY_UPLOAD_URL)
    fi
    configure_and_build "$VANTARY_BUILD/$arch" -DCMAKE_TOOLCHAIN_FILE="$(toolchain_of "$arch")" \
        -DCMAKE_BUILD_TYPE=Release -DVANTARY_TEST_BUILD=OFF "${url[@]}"
    check_static_pe "$VANTARY_BUILD/$arch/vantary-gateway.exe" "$arch"
}

# Test and demo builds: the loopback endpoint behind stunnel, and upload
# time-outs a quarter as long, which the end-to-end tests wait out.
build_test_tree() {
    local arch=$1
    configure_and_build "$VANTARY_BUILD/$arch-test" -DCMAKE_TOOLCHAIN_FILE="$(toolchain_of "$arch")" \
        -DCMAKE_BUILD_TYPE=Release -DVANTARY_TEST_BUILD=ON -DVANTARY_UPLOAD_URL="$VANTARY_TEST_URL" \
        -DVANTARY_SHORT_TIMEOUTS=ON
    check_static_pe "$VANTARY_BUILD/$arch-test/vantary-gateway.exe" "$arch"
}

# DLLs the exe may import: known DLLs, which Windows always takes from its own
# folder. Any other import would be looked for beside the exe first, where a
# planted copy would run. The shell and the common controls are loaded after
# the port is bound.
VANTARY_ALLOWED_IMPORTS=(KERNEL32.dll USER32.dll GDI32.dll WS2_32.dll msvcrt.dll ADVAPI32.dll)
# Functions the exe must not import even from those: advapi32 forwards
# RtlGenRandom to cryptbase.dll, no known DLL, so the loader would look for it
# beside the exe before any code ran. The stack canary looks it up at run
# time, once the search is restricted to the system folder.
VANTARY_FORBIDDEN_IMPORTS=(SystemFunction036)

# The exe must be the expected PE flavour, need no MinGW runtime DLL, so that
# it runs from a bare folder on any Windows, import nothing else, and ask for
# ASLR (64-bit: high entropy) and DEP.
check_static_pe() {
    local exe=$1 arch=$2 kind imports dlls objdump dll function characteristics wanted
    [ -f "$exe" ] || die "$exe was not built"
    kind=$(file -b "$exe")
    # DYNAMIC_BASE 0x40 and NX_COMPAT 0x100; HIGH_ENTROPY_VA 0x20 on x86-64.
    case $arch in
        win32) [[ $kind == "PE32 executable"*"Intel 80386"* ]] || die "$exe is not a PE32 i386 program: $kind"
               objdump=i686-w64-mingw32-objdump wanted=$((0x140)) ;;
        win64) [[ $kind == "PE32+ executable"*"x86-64"* ]] || die "$exe is not a PE32+ x86-64 program: $kind"
               objdump=x86_64-w64-mingw32-objdump wanted=$((0x160)) ;;
    esac
    characteristics=$("$objdump" -p "$exe" | awk '$1 == "DllCharacteristics" { print $2 }')
    [ -n "$characteristics" ] || die "$exe: no DllCharacteristics in its PE header"
    if (( (16#$characteristics & wanted) != wanted )); then
        die "$exe: DllCharacteristics $characteristics lacks $(printf '0x%x' $(( wanted & ~16#$characteristics )))" \
            "(0x40 DYNAMIC_BASE, 0x100 NX_COMPAT, 0x20 HIGH_ENTROPY_VA)"
    fi
    imports=$("$objdump" -p "$exe")
    dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$imports" | tr '\n' ' ')
    if grep -qiE 'libstdc|libgcc|libwinpthread' <<<"$dlls"; then
        die "$exe imports MinGW runtime DLLs: $dlls"
    fi
    for dll in $dlls; do
        # A here-string, not a pipe: under pipefail, grep -q leaving early could
        # fail the printf that feeds it.
        grep -qixF "$dll" <<<"$(printf '%s\n' "${VANTARY_ALLOWED_IMPORTS[@]}")" ||
            die "$exe imports $dll, which Windows may load from the program's folder; allowed: ${VANTARY_ALLOWED_IMPORTS[*]}"
    done
    for function in "${VANTARY_FORBIDDEN_IMPORTS[@]}"; do
        ! grep -qw "$function" <<<"$imports" ||
            die "$exe imports $function, which Windows may resolve from a DLL in the program's folder"
    done
    say "checked ${exe#"$VANTARY_ROOT"/}: ${kind%%,*}; DllCharacteristics $characteristics; imports $dlls"
}

# find_tool <tree> <name.exe>: the e2e helpers may sit at the tree's top or in tests/e2e.
find_tool() {
    local found
    found=$(find "$1" -name "$2" -type f -not -path '*/CMakeFiles/*' 2>/dev/null | sort | head -n 1)
    [ -n "$found" ] || die "$2 not found in ${1#"$VANTARY_ROOT"/} (is its target built?)"
    echo "$found"
}

# --- TLS material ------------------------------------------------------------

make_tls() {
    local d=$VANTARY_TLS_DIR log=$VANTARY_LOGS/tls.log f absent=0
    for f in ca.pem ca.key ca.der server.pem server.key server.csr; do
        [ -s "$d/$f" ] || absent=1
    done
    if [ $absent = 0 ]; then
        say "TLS: reusing the test CA and server certificate in ${d#"$VANTARY_ROOT"/}"
    else
        say "TLS: making a test CA and a localhost server certificate in ${d#"$VANTARY_ROOT"/}"
        mkdir -p "$d"
        rm -rf "$d"/ca.* "$d"/server.* "$d"/expired.* "$d"/otherhost.* "$d/ca-db"
        : >"$log"
        logged "$log" openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
            -keyout "$d/ca.key" -out "$d/ca.pem" -subj "/CN=Vantary Gateway Test CA" \
            -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
            -addext "subjectKeyIdentifier=hash"
        logged "$log" openssl req -newkey rsa:2048 -nodes -sha256 \
            -keyout "$d/server.key" -out "$d/server.csr" -subj "/CN=localhost"
        server_extensions "DNS:localhost,IP:127.0.0.1" >"$d/server.ext"
        logged "$log" openssl x509 -req -sha256 -days 825 -in "$d/server.csr" \
            -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial -extfile "$d/server.ext" -out "$d/server.pem"
        logged "$log" openssl x509 -in "$d/ca.pem" -outform DER -out "$d/ca.der"
        chmod 600 "$d/ca.key" "$d/server.key"
    fi
    make_bad_certificates
}

# server_extensions <subjectAltName>: the extensions of a TLS server certificate.
server_extensions() {
    printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature,keyEncipherment" \
        "extendedKeyUsage=serverAuth" "subjectAltName=$1" "subjectKeyIdentifier=hash" "authorityKeyIdentifier=keyid"
}

# Certificates from the trusted test CA that a client must still refuse: one
# that has expired and one for another host. They share the server's key.
make_bad_certificates() {
    local d=$VANTARY_TLS_DIR log=$VANTARY_LOGS/tls.log db=$VANTARY_TLS_DIR/ca-db
    [ -s "$d/expired.pem" ] && [ -s "$d/otherhost.pem" ] && return 0
    say "TLS: making an expired certificate and one for another host"
    rm -rf "$db"
    mkdir -p "$db"
    : >"$db/index.txt"
    echo 1000 >"$db/serial"
    printf '%s\n' "[ca]" "default_ca = test" "[test]" "database = $db/index.txt" "new_certs_dir = $db" \
        "serial = $db/serial" "default_md = sha256" "policy = any" "unique_subject = no" \
        "[any]" "commonName = supplied" >"$db/ca.cnf"
    server_extensions "DNS:localhost,IP:127.0.0.1" >"$db/expired.ext"
    logged "$log" openssl ca -batch -notext -config "$db/ca.cnf" -cert "$d/ca.pem" -keyfile "$d/ca.key" \
        -in "$d/server.csr" -extfile "$db/expired.ext" \
        -startdate 20200101000000Z -enddate 20210101000000Z -out "$d/expired.pem"
    logged "$log" openssl req -new -key "$d/server.key" -sha256 -subj "/CN=other.example" -out "$db/otherhost.csr"
    server_extensions "DNS:other.example" >"$db/otherhost.ext"
    logged "$log" openssl x509 -req -sha256 -days 825 -in "$db/otherhost.csr" \
        -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial -extfile "$db/otherhost.ext" -out "$d/otherhost.pem"
}

# --- stunnel in front of the plain stand-in service ------------------------------

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Waits up to $2 seconds for a command to succeed.
wait_for() {
    local limit=$1 deadline
    shift
    deadline=$(( $(now) + limit ))
    until "$@"; do
        [ "$(now)" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

pid_alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# start_stunnel [profile]: the certificate server (the default), expired or
# otherhost; or tls11, the usual certificate with nothing newer than TLS 1.1.
# Its configuration, pid and log go to VANTARY_STUNNEL_DIR (a lane's own), by
# default beside the certificates.
start_stunnel() {
    local d=$VANTARY_TLS_DIR run=${VANTARY_STUNNEL_DIR:-$VANTARY_TLS_DIR} cert=${1:-server} old_tls="" port
    if [ "$cert" = tls11 ]; then
        cert=server
        # OpenSSL 3 allows these versions only at security level 0.
        old_tls=$'sslVersionMax = TLSv1.1\nciphers = DEFAULT@SECLEVEL=0'
    fi
    stop_stunnel
    for port in "$VANTARY_TLS_PORT" "$VANTARY_OTHER_TLS_PORT"; do
        if port_open "$port"; then
            die "port $port is taken by another program; stop it first"
        fi
    done
    cat >"$run/stunnel.conf" <<EOF
foreground = no
pid = $run/stunnel.pid
output = $run/stunnel.log
debug = notice

[vantary-standin]
accept = 127.0.0.1:$VANTARY_TLS_PORT
connect = 127.0.0.1:$VANTARY_PLAIN_PORT
cert = $d/$cert.pem
key = $d/server.key
$old_tls

[vantary-other-host]
accept = 127.0.0.1:$VANTARY_OTHER_TLS_PORT
connect = 127.0.0.1:$VANTARY_OTHER_PLAIN_PORT
cert = $d/server.pem
key = $d/server.key
EOF
    : >"$run/stunnel.log"
    stunnel4 "$run/stunnel.conf" || die "stunnel did not start; see ${run#"$VANTARY_ROOT"/}/stunnel.log"
    for port in "$VANTARY_TLS_PORT" "$VANTARY_OTHER_TLS_PORT"; do
        wait_for 10 port_open "$port" || die "stunnel does not listen on $port"
    done
    say "stunnel: https://localhost:$VANTARY_TLS_PORT -> 127.0.0.1:$VANTARY_PLAIN_PORT, ${1:-server};" \
        "https://localhost:$VANTARY_OTHER_TLS_PORT -> 127.0.0.1:$VANTARY_OTHER_PLAIN_PORT (pid $(cat "$run/stunnel.pid"))"
}

# Stops only a process this project started, by the pid file it wrote:
# politely, then for good after 5 s.
stop_by_pidfile() {
    local pidfile=$1 pid
    pid_alive "$pidfile" || { rm -f "$pidfile"; return 0; }
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    wait_for 5 bash -c "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null || true
    rm -f "$pidfile"
}

stop_stunnel() { stop_by_pidfile "${VANTARY_STUNNEL_DIR:-$VANTARY_TLS_DIR}/stunnel.pid"; }

# --- a web proxy on loopback, as an operator's network may have --------------------

VANTARY_PROXY_PORT=47888

# start_proxy: tinyproxy on 127.0.0.1:$VANTARY_PROXY_PORT, which the proxy tests set
# in the prefix's Internet Settings; its log tells them what went through.
start_proxy() {
    local run=${VANTARY_STUNNEL_DIR:-$VANTARY_TLS_DIR}
    stop_proxy
    if port_open "$VANTARY_PROXY_PORT"; then
        die "port $VANTARY_PROXY_PORT is taken by another program; stop it first"
    fi
    cat >"$run/tinyproxy.conf" <<EOF
Port $VANTARY_PROXY_PORT
Listen 127.0.0.1
Timeout 120
LogFile "$run/tinyproxy.log"
LogLevel Connect
PidFile "$run/tinyproxy.pid"
MaxClients 20
Allow 127.0.0.1
DisableViaHeader Yes
EOF
    : >"$run/tinyproxy.log"
    tinyproxy -c "$run/tinyproxy.conf" || die "tinyproxy did not start; see ${run#"$VANTARY_ROOT"/}/tinyproxy.log"
    wait_for 10 port_open "$VANTARY_PROXY_PORT" || die "tinyproxy does not listen on $VANTARY_PROXY_PORT"
}

stop_proxy() { stop_by_pidfile "${VANTARY_STUNNEL_DIR:-$VANTARY_TLS_DIR}/tinyproxy.pid"; }

# --- lanes: end-to-end tests side by side -----------------------------------------

VANTARY_LANES_DIR=$VANTARY_BUILD/lanes
export VANTARY_LANES_DIR
# Namespaces are machine-wide: a second checkout (a git worktree) running its
# tests at the same time must not take or delete this one's.
VANTARY_NS_TAG=$(printf '%s' "$VANTARY_ROOT" | cksum | cut -d' ' -f1)

# How many lanes the end-to-end tests get: two (they wait far more than they
# compute), each in a network namespace of its own so that the fixed ports
# never meet; one, in this namespace, where no namespace can be made.
lane_count() {
    local wanted=${VANTARY_LANES:-2}
    if [ "$(id -u)" = 0 ]; then ip netns del "vantary-probe-$VANTARY_NS_TAG" 2>/dev/null || true; fi  # left by a killed run
    if [ "$wanted" -ge 2 ] 2>/dev/null && [ "$(id -u)" = 0 ] && ip netns add "vantary-probe-$VANTARY_NS_TAG" 2>/dev/null; then
        ip netns del "vantary-probe-$VANTARY_NS_TAG"
        echo "$wanted"
    else
        echo 1
    fi
}

# in_netns <namespace or ""> command...
in_netns() {
    local ns=$1
    shift
    if [ -n "$ns" ]; then ip netns exec "$ns" "$@"; else "$@"; fi
}

free_display() {
    local n=${1:-99}
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    echo "$n"
}

# start_lanes <template prefix> <count>: for each lane a copy of the prefix,
# an Xvfb and a stunnel in its namespace, and the env file scripts/lane reads;
# then the resource file that lets ctest hand the lanes out.
start_lanes() {
    local template=$1 count=$2 i dir ns display net ids=()
    stop_lanes
    for ((i = 0; i < count; i++)); do
        dir=$VANTARY_LANES_DIR/$i
        mkdir -p "$dir"
        ns=""
        if [ "$count" -gt 1 ]; then
            ns=vantary-lane$i-$VANTARY_NS_TAG
            ip netns add "$ns" 2>/dev/null || true  # left by a run that was killed
            ip netns exec "$ns" ip link set lo up
            # WinHTTP sends a request's headers and body in two writes, and the
            # body waits for the ACK of the headers, which the peer delays
            # 40 ms: on this loopback the ACK goes at once, as between the
            # machines of a LAN it mostly does.
            for net in 127.0.0.0/8 127.0.0.1; do
                ip netns exec "$ns" ip route replace local "$net" dev lo table local proto kernel \
                    scope host src 127.0.0.1 quickack 1
            done
        elif port_open "$VANTARY_PLAIN_PORT"; then
            die "port $VANTARY_PLAIN_PORT is in use; the tests serve there (a ./scripts/run --demo? stop it with ./scripts/run --stop)"
        fi
        cp -a "$template/." "$dir/prefix/"
        display=$(free_display $((99 + i)))
        # Not through in_netns: $! must be Xvfb itself, not a subshell around it.
        if [ -n "$ns" ]; then
            ip netns exec "$ns" Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
        else
            Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
        fi
        echo $! >"$dir/xvfb.pid"
        wait_for 10 test -S "/tmp/.X11-unix/X$display" || die "Xvfb did not start on :$display (see $dir/xvfb.log)"
        in_netns "$ns" env VANTARY_STUNNEL_DIR="$dir" bash -c 'source "$0"; start_stunnel; start_proxy' \
            "$VANTARY_ROOT/scripts/lib.sh" >"$dir/setup.log" || die "no stunnel in lane $i (see $dir/setup.log)"
        # A wineserver that stays: each suite's program then starts in a
        # third of a second, where a fresh server and its services take two.
        # In the lane's namespace: the server makes the programs' sockets.
        in_netns "$ns" env WINEPREFIX="$dir/prefix" "$WINESERVER" -p
        printf 'export WINEPREFIX=%q DISPLAY=%q VANTARY_STUNNEL_DIR=%q\nVANTARY_LANE_NETNS=%q\n' \
            "$dir/prefix" ":$display" "$dir" "$ns" >"$dir/env"
        ids+=("{\"id\": \"$i\", \"slots\": 1}")
    done
    printf '{"version": {"major": 1, "minor": 0}, "local": [{"lanes": [%s]}]}\n' \
        "$(IFS=,; echo "${ids[*]}")" >"$VANTARY_LANES_DIR/resources.json"
}

# Ends what start_lanes started, by the pids and names it wrote down.
stop_lanes() {
    local dir ns
    for dir in "$VANTARY_LANES_DIR"/*/; do
        dir=${dir%/}
        [ -f "$dir/env" ] || { rm -rf "$dir"; continue; }
        ns=$(sed -n 's/^VANTARY_LANE_NETNS=//p' "$dir/env")
        VANTARY_STUNNEL_DIR=$dir stop_stunnel
        VANTARY_STUNNEL_DIR=$dir stop_proxy
        WINEPREFIX=$dir/prefix "$WINESERVER" -k >/dev/null 2>&1 || true
        if pid_alive "$dir/xvfb.pid"; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; fi
        if [ -n "$ns" ] && [ "$ns" != "''" ]; then ip netns del "$ns" 2>/dev/null || true; fi
        rm -rf "$dir"
    done
}

# --- Wine prefixes ----------------------------------------------------------------

# A Unix path as the Windows programs see it (Wine maps / to Z:).
windows_path() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

wine_in() { WINEPREFIX=$1 "$VANTARY_WINE_LOADER" "${@:2}"; }
wineserver_in() { WINEPREFIX=$1 "$WINESERVER" "${@:2}"; }

# Creates a prefix once; a stamp marks one that finished booting.
ensure_prefix() {
    local prefix=$1 start log=$VANTARY_LOGS/wineboot.log
    if [ -f "$prefix/.vantary-booted" ]; then
        install_window_fonts "$prefix"
        return 0
    fi
    start=$(now)
    rm -rf "$prefix"
    mkdir -p "$prefix"
    logged "$log" wine_in "$prefix" wineboot -i
    logged "$log" wineserver_in "$prefix" -w
    touch "$prefix/.vantary-booted"
    install_window_fonts "$prefix"
    say "Wine: created prefix ${prefix#"$VANTARY_ROOT"/} ($(since "$start"))"
}

# Wine draws the caption buttons with Marlett's glyphs, and finds no Marlett
# of its own here: without it they show as the letters "0 1 r".
install_window_fonts() {
    local fonts=$1/drive_c/windows/Fonts source=/usr/share/wine/fonts/marlett.ttf
    [ -s "$fonts/marlett.ttf" ] && return 0
    [ -s "$source" ] || die "$source is missing (package fonts-wine)"
    mkdir -p "$fonts"
    cp "$source" "$fonts/marlett.ttf"
}

# The test prefixes run on an Xvfb without a window manager, where Wine waits
# two seconds for a window manager to let go of every window hidden or closed:
# a message box answered, the monitor hidden to the tray. Windows whose frames
# Wine draws itself (as it does there anyway) are not waited for.
unmanaged_windows_in_prefix() {
    local prefix=$1 log=$VANTARY_LOGS/wineboot.log
    [ -f "$prefix/.vantary-unmanaged" ] && return 0
    logged "$log" wine_in "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    logged "$log" wineserver_in "$prefix" -w
    touch "$prefix/.vantary-unmanaged"
}

# Trusts the test CA inside the prefix only (its registry), never on the host.
# The stamp holds the CA's digest, so a remade CA is trusted again.
trust_ca_in_prefix() {
    local prefix=$1 tool=$2 digest log=$VANTARY_LOGS/trust-ca.log
    digest=$(sha256sum "$VANTARY_TLS_DIR/ca.der" | cut -d' ' -f1)
    [ "$(cat "$prefix/.vantary-ca" 2>/dev/null)" = "$digest" ] && return 0
    logged "$log" wine_in "$prefix" "$tool" add "$(windows_path "$VANTARY_TLS_DIR/ca.der")"
    logged "$log" wineserver_in "$prefix" -w
    echo "$digest" >"$prefix/.vantary-ca"
    say "Wine: test CA trusted in ${prefix#"$VANTARY_ROOT"/}"
}
