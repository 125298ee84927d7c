#pragma once

#include <QString>

// The tables, views and functions of schema `vedaris`. The version rises with
// every change a program of an older version could not read or write.
namespace vedaris::mirror::schema {

inline constexpr int Version = 1;

// Creates the schema at this version in an empty database (one transaction).
QString creation();

} // namespace vedaris::mirror::schema
