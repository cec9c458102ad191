// The choice of the table driver at start-up: the default driver and the one for
// local DBF work, read from the program's settings file, and the connection of a
// SQL back-end when the default driver is one (in this system the SQL back-end's
// routines are placeholders, see sql_placeholders.h).
#pragma once

#include <string>
#include <string_view>

namespace codfix {

// Whether "SQL" occurs in the driver's name (upper-cased); empty: the current
// default driver.
bool ISDBSQL(std::string_view driver = {});

// Whether the platform provides a table driver of that name (DBFNTX, DBFCDX, and
// the SQL back-end SQLRDD).
bool driver_available(std::string_view driver);

// Makes `driver` the default table driver. A name the platform does not provide
// raises an argument error (DBCMD/1015, operation RDDSETDEFAULT) and leaves the
// driver as it was; returns whether the driver was set.
bool set_default_driver(std::string_view driver);

// Start-up's steps for the drivers, reading `settings_file` (CODFIX.CFG):
// CRDDDEFAULT (key RDD, default DBFNTX) becomes the default driver; CRDDXBASE
// (key RDDXBASE) defaults to DBFNTX for a SQL driver, else to CRDDDEFAULT; with a
// SQL driver, fast opening is switched on and the first of the keys BANCO,
// BANCOFB, BANCOFBODBC, BANCOMYSQL that is set is connected (CBANCO, NCNN).
void choose_table_drivers(std::string_view settings_file);

}  // namespace codfix
