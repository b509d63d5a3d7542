# Sourced: the two demo databases, made afresh with the embedded engine. Needs common.sh.

DEMO_DIR=$VENDRASOL_ROOT/demo
DEMO_SOURCE=$DEMO_DIR/origem.fdb
DEMO_DESTINATION=$DEMO_DIR/destino.fdb

# Creates a WIN1252 database at the path from demo-schema.sql and, when asked, fills it from demo-rows.sql.
# The scripts are UTF-8 text; isql's UTF8 connection turns them into WIN1252 on the way in.
create_demo_database() {
    local path=$1 with_rows=$2
    rm -f "$path"
    {
        echo "SET NAMES UTF8;"
        echo "CREATE DATABASE '$path' USER 'SYSDBA' PASSWORD 'masterkey' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1252;"
        cat "$VENDRASOL_ROOT/scripts/demo-schema.sql"
        if [ "$with_rows" = rows ]; then cat "$VENDRASOL_ROOT/scripts/demo-rows.sql"; fi
    } | isql-fb -q -bail >/dev/null || fail "could not create $path"
}

create_demo_databases() {
    say "Creating the demo databases"
    mkdir -p "$DEMO_DIR"
    create_demo_database "$DEMO_SOURCE" rows
    create_demo_database "$DEMO_DESTINATION" empty
    echo "Source (Origem):       $DEMO_SOURCE"
    echo "Destination (Destino): $DEMO_DESTINATION"
}
