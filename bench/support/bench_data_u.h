#pragma once
// A year of office data for the benchmarks, built inside the engine:
// 1,000,000 call-log rows, 100,000 phone-book rows, 50,000 customers.
#include <QString>
#include <functional>
#include <vector>

namespace BenchData {
constexpr int kLogRows = 1000000;
constexpr int kTels = 100000;
constexpr int kCustomers = 50000;

// Phone-book number i (every second one belongs to a customer).
QString Number(int i);
// Creates the database `name` with the base tables and the rows above.
void Build(const QString& name);

// Timing helpers: op runs n times; figures in milliseconds.
std::vector<double> Time(int n, const std::function<void(int)>& op);
void Report(const char* what, std::vector<double> ms);
}
