# Sourced: a Firebird 3 server on loopback port 3050 (localhost, which may be ::1 alone) with a SYSDBA password we know, for the
# test that reaches a database through a server (host:/path) instead of the embedded engine.
# Needs common.sh.

SERVER_PASSWORD=${VENDRASOL_SERVER_PASSWORD:-vendra3050}
SERVER_PORT=3050
SERVER_DATA_DIR=/var/lib/firebird/3.0/data
SERVER_SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb
SERVER_PASSWORD_FILE=/etc/firebird/3.0/SYSDBA.password
SERVER_RUN_DIR=/run/firebird3.0
# The server runs as the firebird user and keeps its lock files apart from /tmp/firebird, where
# the embedded engine running as root leaves files that user could not open.
SERVER_LOCK_DIR=$SERVER_RUN_DIR/lock

server_answers() {
    (exec 3<>"/dev/tcp/localhost/$SERVER_PORT") 2>/dev/null
}

server_accepts() {
    fbsvcmgr "localhost:service_mgr" user SYSDBA password "$1" info_server_version >/dev/null 2>&1
}

# With the server stopped, writes our password straight into its user database.
set_password_in_security_db() {
    local quoted=${SERVER_PASSWORD//\'/\'\'}
    echo "CREATE OR ALTER USER SYSDBA PASSWORD '$quoted' USING PLUGIN Srp; COMMIT;" |
        isql-fb -q -bail -user SYSDBA "$SERVER_SECURITY_DB" >/dev/null ||
        fail "could not set the SYSDBA password in $SERVER_SECURITY_DB"
    chown firebird:firebird "$SERVER_SECURITY_DB"
}

start_server_process() {
    mkdir -p "$SERVER_LOCK_DIR"
    chown firebird:firebird "$SERVER_RUN_DIR" "$SERVER_LOCK_DIR"
    chmod 0770 "$SERVER_RUN_DIR" "$SERVER_LOCK_DIR"
    # No init system to ask: the guardian starts the server and restarts it should it die.
    runuser -u firebird -- env FIREBIRD_LOCK="$SERVER_LOCK_DIR" \
        /usr/sbin/fbguard -daemon -forever -pidfile "$SERVER_RUN_DIR/firebird.pid" ||
        fail "fbguard did not start the Firebird server"
    local waited=0
    until server_answers; do
        [ $waited -ge 30 ] && fail "the Firebird server does not answer on port $SERVER_PORT after 30 s"
        sleep 1
        waited=$((waited + 1))
    done
}

# Keeps the password the package remembers in step with the server, as its own tools expect.
record_password() {
    [ -f "$SERVER_PASSWORD_FILE" ] || return 0
    local kept
    kept=$(grep -v '^ *ISC_PASSWORD=' "$SERVER_PASSWORD_FILE")
    printf '%s\nISC_PASSWORD=%q\n' "$kept" "$SERVER_PASSWORD" >"$SERVER_PASSWORD_FILE"
}

SERVER_PACKAGES=(firebird3.0-server)

# Answers the package's password question before it is asked, on its first install.
preseed_server_password() {
    package_installed firebird3.0-server && return 0
    require_root
    echo "firebird3.0-server shared/firebird/sysdba_password/first_install password $SERVER_PASSWORD" |
        debconf-set-selections
}

# Installs and starts the server, then exports VENDRASOL_SERVER_PASSWORD and VENDRASOL_SERVER_DIR
# (a folder where the server may create databases).
start_firebird_server() {
    preseed_server_password
    install_packages "${SERVER_PACKAGES[@]}"
    say "Starting the Firebird server on localhost:$SERVER_PORT"
    if ! server_answers; then
        set_password_in_security_db
        start_server_process
    fi
    if ! server_accepts "$SERVER_PASSWORD"; then
        # A server started by the package has the password it chose, written beside its settings.
        local chosen
        chosen=$(. "$SERVER_PASSWORD_FILE" 2>/dev/null && echo "${ISC_PASSWORD:-}") || true
        if [ -n "$chosen" ] && server_accepts "$chosen"; then
            fbsvcmgr "localhost:service_mgr" user SYSDBA password "$chosen" \
                action_modify_user sec_username SYSDBA sec_password "$SERVER_PASSWORD" >/dev/null ||
                fail "could not change the SYSDBA password of the running server"
        fi
        server_accepts "$SERVER_PASSWORD" ||
            fail "the Firebird server on port $SERVER_PORT refuses the SYSDBA password; set VENDRASOL_SERVER_PASSWORD to its password"
    fi
    record_password
    export VENDRASOL_SERVER_PASSWORD=$SERVER_PASSWORD
    export VENDRASOL_SERVER_DIR=$SERVER_DATA_DIR
    echo "Firebird server ready: localhost:$SERVER_DATA_DIR/<file>.fdb, user SYSDBA"
}
