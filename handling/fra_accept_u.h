#pragma once
// The handling record editor. One lives on each handling tab of a customer
// view, fills that tab and reaches the view through TAcceptOwner and the
// main window through TMainHost.
//
//   auto* sheet = new QWidget;                    // the view's new tab sheet
//   pageHistory->addTab(sheet, QString());
//   new TfraAccept(host, *this, sheet, browse, logNo, actNo);   // sets the caption
#include "lookup_list_u.h"

#include <QDateTime>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;
class TAcceptOwner;
class TMainHost;

// Caption of a handling tab: a label of 15 CP932 bytes (" 新 規" padded for a
// new record, "No." and the number for a stored one) and the hidden state
// marker "B" (browse) or "E" (edit).
QString AcceptTabCaption(int actNo, bool browse);

class TfraAccept : public QWidget
{
    Q_OBJECT
public:
    static inline const QString kTitleTooLong =
        QStringLiteral("件名が長すぎます。半角100文字（全角50文字）以内で入力してください。");
    static inline const QString kContentTooLong =
        QStringLiteral("内容が長すぎます。半角400文字（全角200文字）以内で入力してください。");
    static inline const QString kDeletedElsewhere =
        QStringLiteral("この対応履歴は削除されているため保存できません。");

    // sheet: the tab sheet this editor fills; actNo -1 for a new record,
    // logNo the call it answers (may be empty).
    TfraAccept(TMainHost& host, TAcceptOwner& owner, QWidget* sheet, bool browse, const QString& logNo, int actNo);

    QDateEdit* DateTimePicker1 = nullptr;
    QTimeEdit* DateTimePicker2 = nullptr;
    QComboBox* cbxTypeName = nullptr;
    QComboBox* cbxResultName = nullptr;
    QComboBox* cbxUserName = nullptr;
    QLineEdit* edtTitle = nullptr;
    QPlainTextEdit* richContent = nullptr;
    QPushButton* btnActEdit = nullptr;
    QPushButton* btnActDel = nullptr;
    QPushButton* btnActAdd = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnSave = nullptr;

    int ActNo() const { return FActNo; }
    QString LogNo() const { return FLogNo; }
    bool Browsing() const { return FBrowse; }
    QWidget* Sheet() const { return FSheet; }
    // In edit mode with something changed since the record was loaded or
    // editing began (closing would lose it).
    bool HasUnsavedInput() const;

    void ClearAccept();
    void LoadAccept(int actNo);
    void SetBrowseMode(bool browse, int actNo);

    void btnSaveClick();
    void btnCancelClick();
    void btnActAddClick();
    void btnActEditClick();
    void btnActDelClick();

private:
    struct TValues
    {
        QDateTime When;
        int Type = -1, Result = -1, User = -1;
        QString Title, Content;
        bool operator==(const TValues&) const = default;
    };
    TValues Current() const;
    void SetCaption(bool browse);
    // The ID at the box's position in the list it was filled from; with no
    // position, the ID the record was loaded with (an entry no longer offered).
    static QString PickedId(const QComboBox* box, const TLookupList& list, const QString& loaded);
    bool CheckLengths();
    void RebuildLists(bool callLists);

    TMainHost& FHost;
    TAcceptOwner& FOwner;
    QWidget* FSheet;
    int FActNo;
    QString FLogNo;
    bool FBrowse = true;
    TLookupList FTypes, FResults, FUsers;
    QString FLoadedType, FLoadedResult, FLoadedUser;
    TValues FSnapshot;
};
