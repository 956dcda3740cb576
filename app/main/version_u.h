#pragma once
// The program's file version, compiled in from the build's project version.
#include <QString>

struct TVersion
{
    int Major = 0, Minor = 0, Release = 0, Build = 0;
    QString Text;
    static const TVersion& Current();
};
