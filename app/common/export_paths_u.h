#pragma once
// Last export files and options, kept per user between runs.
#include <QString>

struct TExportPaths
{
    QString ExpPath, ExpTaiPath, ExpCustPath, ExpTelsPath;
    bool ExportDelCrlfTel = true, ExportDelCrlfTai = true, ExportDelCrlfCust = true;
};
