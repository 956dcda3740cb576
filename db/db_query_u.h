#pragma once
// A SELECT in one line: logs "strSql=" and the statement, opens it on the
// query object and closes it when the scope ends, also when reading fails.
//
//   for (TSelect s(dm.sqlWork2, sql); !s.Eof(); s.Next())
//       rows << s["CALLER"].AsString();
#include "fb_u.h"

class TSelect
{
public:
    TSelect(TFbQuery& q, const QString& sql);
    ~TSelect() { FQ.Close(); }
    TSelect(const TSelect&) = delete;
    TSelect& operator=(const TSelect&) = delete;

    bool Eof() const { return FQ.Eof(); }
    void Next() { FQ.Next(); }
    TFbField operator[](const QString& name) const { return FQ.FieldByName(name); }
    TFbQuery& Query() { return FQ; }

private:
    TFbQuery& FQ;
};
