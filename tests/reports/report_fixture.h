#pragma once
// A main window over a fresh database as the host of the report windows,
// with helpers that put rows in and read files back.
#include "main_fixture.h"

#include "clock_u.h"

#include <QApplication>
#include <QLabel>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

struct TReportFixture : TMainFixture
{
    explicit TReportFixture(const QByteArray& ini = QByteArray()) : TMainFixture(ini)
    {
        Created = frm->FormCreate();
        rec.Shown.clear();
    }
    bool Created = false;

    void Sql(const QString& sql) { dm->ExecSql(sql); }
    void Tel(const QString& no, const QString& caller, const QString& custTelNon = QString())
    {
        Sql(QStringLiteral("insert into TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME) values ('%1', '%2', '%3', '')")
                .arg(no, custTelNon, caller));
    }
    void Cust(int custNo, const QString& telNon, const QString& name)
    {
        Sql(QStringLiteral("insert into CUSTOMER (CUST_NO, CUST_NAME, CUST_TEL, CUST_TEL_NON, SEX) values (%1, '%2', '%3', "
                           "'%3', 1)")
                .arg(custNo)
                .arg(name, telNon));
    }
    // count calls from no at dt (one second apart).
    void Calls(const QString& no, int count, const QString& dt = QStringLiteral("2024/01/15 10:00:00"),
               const QString& type = QStringLiteral("着信"), const QString& memo = QString())
    {
        for (int i = 0; i < count; ++i)
            Sql(QStringLiteral("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_MEMO, PORT_NO) values "
                               "(gen_id(SEQ_LOG_NO, 1), cast('%1' as date) + %2 / 86400.0, '%3', '%4', '%5', 1)")
                    .arg(dt)
                    .arg(i)
                    .arg(no, type, memo));
    }
    // Output of a program (stdout), with its exit code.
    static QString Run(const QString& program, const QStringList& args, int* exitCode = nullptr)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(120000);
        if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
    }
    static QString PdfText(const QString& pdf)
    {
        return Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    }
    static QJsonObject Sheet(const QString& path, int limit = 100)
    {
        const QString json = Run(QStringLiteral("/usr/bin/python3"),
                                 {TestEnv::SourceDir() + QStringLiteral("/tests/reports/read_sheet.py"), path,
                                  QString::number(limit)});
        return QJsonDocument::fromJson(json.toUtf8()).object();
    }
};
