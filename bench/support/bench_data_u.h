#pragma once
// A year of office data for the benchmarks, built inside the engine:
// 1,000,000 call-log rows, 100,000 phone-book rows, 50,000 customers.
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

class TFbQuery;
class TLog;
class TSettings;

namespace BenchData {
constexpr int kLogRows = 1000000;
constexpr int kTels = 100000;
constexpr int kCustomers = 50000;

// Phone-book number i (every second one belongs to a customer).
QString Number(int i);
// Creates the database `name` with the base tables and the rows above.
void Build(const QString& name);
// Creates the database `name` with the base tables; fill adds rows.
void CreateWithBaseTables(const QString& name, const std::function<void(TFbQuery&)>& fill);

// A private data root for a benchmark that runs the main window: settings
// with every datagram on loopback, no blink and no question at the
// upgrade, and the diagnostic log (detailed unless BENCH_DETAIL_LOG=0).
struct TBenchRoot
{
    TBenchRoot();
    ~TBenchRoot();
    QTemporaryDir Dir;
    std::unique_ptr<TSettings> Settings;
    std::unique_ptr<TLog> Log;
};

// Timing helpers: op runs n times; figures in milliseconds.
std::vector<double> Time(int n, const std::function<void(int)>& op);
void Report(const char* what, std::vector<double> ms);
}
