#pragma once
// A started main window over a fresh embedded database, with helpers that
// write customers, phone-book rows and calls, and find the views.
#include "cust_pages_u.h"
#include "fra_cust_u.h"
#include "name_edit_u.h"
#include "main_fixture.h"
#include "record_tabs_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

struct TCustFixture : TMainFixture
{
    explicit TCustFixture(const QByteArray& ini = QByteArray()) : TMainFixture(ini)
    {
        started = frm->FormCreate();
        rec.Shown.clear();
    }
    bool started = false;

    QTabWidget* Pages() { return Find<QTabWidget>("PageMain"); }
    // The view of the active page (null on the history pages).
    TfraCust* View()
    {
        QWidget* page = Pages()->currentWidget();
        return page ? page->findChild<TfraCust*>("fraCust") : nullptr;
    }
    int Customer(const QString& tel, const QString& name, const QString& kana = QString())
    {
        TCust c;
        c.CUST_TEL = tel;
        c.CUST_NAME = name;
        c.CUST_KANA = kana;
        c.SEX = 1;
        return dm->InsertCustData(c);
    }
    void Tels(const QString& tel, const QString& custTelNon, const QString& caller, const QString& read = QString())
    {
        dm->InsertTels({tel, custTelNon, caller, read});
    }
    int Call(const QString& tel, const QDateTime& at, const QString& memo = QString())
    {
        TdmCmn::TLog log;
        log.DT_FROM = at;
        log.TEL_NO = tel;
        log.TEL_TYPE = QStringLiteral("着信");
        log.TEL_MEMO = memo;
        log.PORT_NO = 1;
        return dm->InsertLog(log);
    }
    int Count(const QString& sql) { return Scalar(sql).toInt(); }
    // Answers every box with the button given, and keeps them.
    void AnswerAll(int button)
    {
        rec.Decide = [button](const TMsgRequest& r) { return (r.Buttons & button) ? button : int(mbOK); };
    }
};

// Cells of a grid's data rows, one text per row, columns joined by "|".
inline QStringList GridRows(const TStringGrid* g, QList<int> columns)
{
    QStringList rows;
    for (int r = 0; r < g->DataRowCount(); ++r) {
        QStringList cells;
        for (int c : columns) cells << g->Cell(r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}
