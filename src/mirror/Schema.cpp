#include "Schema.h"

namespace vedaris::mirror::schema {

namespace {

// Every record table: the slot it was read from, its generation (a slot that
// a new batch took over starts a new one; the older rows stay as history),
// whether it is the slot's current row, whether the slot is still in the file,
// whether the record is live and the hash of its bytes.
const char *const common = R"(
    store text NOT NULL,
    slot integer NOT NULL,
    generation integer NOT NULL,
    current boolean NOT NULL,
    present boolean NOT NULL,
    live boolean NOT NULL,
    deleted_mark smallint NOT NULL,
    hash bigint,)";

// The batch's description, which an issue record carries as well.
const char *const batch = R"(    drug_name text,
    receipt_date date,
    receipt_serial double precision,
    unit text,
    supplier text,
    receipt_document text,
    manufacturer text,
    series text,)";

const char *const body = R"(
-- Every table has a primary key, so that logical replication can carry
-- updates and deletions on to a regional database.
CREATE TABLE vedaris.schema_info (version integer PRIMARY KEY);

CREATE TABLE vedaris.stores (
    store text PRIMARY KEY,
    source text NOT NULL,
    first_loaded timestamptz NOT NULL DEFAULT now(),
    last_loaded timestamptz NOT NULL DEFAULT now(),
    findings integer NOT NULL DEFAULT 0
);

CREATE TABLE vedaris.findings (
    store text NOT NULL,
    n integer NOT NULL, -- the order vedaris-check lists them in
    file text NOT NULL,
    record bigint,
    text text NOT NULL,
    PRIMARY KEY (store, n)
);

-- A digest of every run of 64 records of each file, so that a run finds
-- the changed records without reading back a row per record.
CREATE TABLE vedaris.chunks (
    store text NOT NULL,
    file smallint NOT NULL,
    chunk integer NOT NULL,
    digest bigint NOT NULL,
    PRIMARY KEY (store, file, chunk)
);

CREATE TABLE vedaris.stock_records (%COMMON%
    record_id integer,
%BATCH%
    quantity double precision,
    received_quantity double precision,
    unit_price double precision,
    total_sum double precision,
    received_sum double precision,
    expiry_date date,
    expiry_serial double precision,
    PRIMARY KEY (store, slot, generation)
);
CREATE INDEX stock_live ON vedaris.stock_records (store, record_id) WHERE current AND live;

CREATE TABLE vedaris.issue_records (%COMMON%
    stock_record_id integer,
%BATCH%
    department text,
    quantity double precision,
    unit_price double precision,
    issued_sum double precision,
    issue_date date,
    issue_serial double precision,
    PRIMARY KEY (store, slot, generation)
);

CREATE TABLE vedaris.drug_name_records (%COMMON%
    entry_id integer,
    name text,
    unit text,
    PRIMARY KEY (store, slot, generation)
);
CREATE TABLE vedaris.supplier_records (%COMMON%
    entry_id integer,
    name text,
    PRIMARY KEY (store, slot, generation)
);
CREATE TABLE vedaris.manufacturer_records (%COMMON%
    entry_id integer,
    name text,
    PRIMARY KEY (store, slot, generation)
);
CREATE TABLE vedaris.department_records (%COMMON%
    entry_id integer,
    name text,
    PRIMARY KEY (store, slot, generation)
);

CREATE VIEW vedaris.stock AS
SELECT store, record_id, drug_name, unit, supplier, manufacturer, receipt_document, series,
       receipt_date, expiry_date, quantity, received_quantity, unit_price, total_sum, received_sum
FROM vedaris.stock_records WHERE current AND live;

CREATE VIEW vedaris.issues AS
SELECT store, slot AS record_id, stock_record_id, drug_name, unit, department, issue_date,
       quantity, unit_price, issued_sum
FROM vedaris.issue_records WHERE current AND live;

CREATE VIEW vedaris.drug_names AS
SELECT store, entry_id, name, unit FROM vedaris.drug_name_records WHERE current AND live;
CREATE VIEW vedaris.suppliers AS
SELECT store, entry_id, name FROM vedaris.supplier_records WHERE current AND live;
CREATE VIEW vedaris.manufacturers AS
SELECT store, entry_id, name FROM vedaris.manufacturer_records WHERE current AND live;
CREATE VIEW vedaris.departments AS
SELECT store, entry_id, name FROM vedaris.department_records WHERE current AND live;

-- Live issues of live batches: what the store's consumption reports count.
CREATE VIEW vedaris.counted_issues AS
SELECT i.* FROM vedaris.issue_records i
WHERE i.current AND i.live AND EXISTS (
    SELECT 1 FROM vedaris.stock_records s
    WHERE s.store = i.store AND s.current AND s.live AND s.record_id = i.stock_record_id);

-- Sums run in file order, so the same files always give the same figures.
-- Per store on day d: the stock in hand (live batches with a quantity), what
-- of it has expired by d, what expires within the 90 days after d, and the
-- consumption of d's calendar month. Dates compare as the stored day serials,
-- as the store's reports compare them.
CREATE FUNCTION vedaris.store_figures(d date)
RETURNS TABLE (store text, batches bigint, stock_value double precision,
               expired_value double precision, expiring_90_value double precision,
               month_quantity double precision, month_consumption double precision)
LANGUAGE sql STABLE AS $$
WITH day AS (
    SELECT (d - date '1899-12-30')::double precision AS serial,
           (date_trunc('month', d)::date - date '1899-12-30')::double precision AS month_first,
           ((date_trunc('month', d) + interval '1 month - 1 day')::date - date '1899-12-30')::double precision AS month_last
), stock AS (
    SELECT s.store,
           count(*) AS batches,
           sum(s.total_sum ORDER BY s.slot) AS stock_value,
           coalesce(sum(s.total_sum ORDER BY s.slot) FILTER (WHERE s.expiry_serial <= day.serial), 0) AS expired_value,
           coalesce(sum(s.total_sum ORDER BY s.slot) FILTER (WHERE s.expiry_serial > day.serial
                                               AND s.expiry_serial <= day.serial + 90), 0) AS expiring_90_value
    FROM vedaris.stock_records s, day
    WHERE s.current AND s.live AND s.quantity <> 0
    GROUP BY s.store
), used AS (
    SELECT i.store, sum(i.quantity ORDER BY i.slot) AS quantity, sum(i.issued_sum ORDER BY i.slot) AS consumption
    FROM vedaris.counted_issues i, day
    WHERE i.issue_serial >= day.month_first AND i.issue_serial <= day.month_last
    GROUP BY i.store
)
SELECT st.store, coalesce(stock.batches, 0), coalesce(stock.stock_value, 0),
       coalesce(stock.expired_value, 0), coalesce(stock.expiring_90_value, 0),
       coalesce(used.quantity, 0), coalesce(used.consumption, 0)
FROM vedaris.stores st
LEFT JOIN stock ON stock.store = st.store
LEFT JOIN used ON used.store = st.store
ORDER BY st.store
$$;

-- The same for today.
CREATE VIEW vedaris.stock_value AS
SELECT store, batches, stock_value, expired_value, expiring_90_value
FROM vedaris.store_figures(current_date);

-- Consumption per store, department and calendar month.
CREATE VIEW vedaris.consumption AS
SELECT store, department, date_trunc('month', issue_date)::date AS month,
       count(*) AS issues, sum(quantity ORDER BY slot) AS quantity, sum(issued_sum ORDER BY slot) AS issued_sum
FROM vedaris.counted_issues
GROUP BY store, department, date_trunc('month', issue_date)::date;
)";

} // namespace

QString creation()
{
    QString sql = QString::fromUtf8(body);
    sql.replace(QStringLiteral("%COMMON%"), QString::fromUtf8(common));
    sql.replace(QStringLiteral("%BATCH%"), QString::fromUtf8(batch));
    return QStringLiteral("CREATE SCHEMA vedaris;\n") + sql
        + QStringLiteral("INSERT INTO vedaris.schema_info VALUES (%1);\n").arg(Version);
}

} // namespace vedaris::mirror::schema
