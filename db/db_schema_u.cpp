// Base tables of a new database and the upgrade InitTables that brings any
// database, new or written by an earlier release, to the current schema.
#include "dm_cmn_u.h"
#include "frm_db_notice_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"

#include <QApplication>
#include <memory>

QStringList TdmCmn::BaseTableStatements()
{
    QString options;
    for (int i = 1; i <= 20; ++i) options += QStringLiteral(", OPTION_%1 VARCHAR(255)").arg(i, 2, 10, QLatin1Char('0'));
    return {
        QStringLiteral("CREATE TABLE CUSTOMER (CUST_NO INTEGER NOT NULL, CUST_NAME VARCHAR(100), "
                       "CUST_KANA VARCHAR(100), BIRTH_DT DATE, SEX SMALLINT, CUST_TEL VARCHAR(30), "
                       "CUST_TEL_NON VARCHAR(30), FAX_NO VARCHAR(30), FAX_NO_NON VARCHAR(30), ZIP_CD VARCHAR(10), "
                       "ADDRESS VARCHAR(255), MAP_URL VARCHAR(600), EMAIL VARCHAR(100), HP_URL VARCHAR(255), "
                       "USERID VARCHAR(8), OTHERS BLOB SUB_TYPE 1 SEGMENT SIZE 80") +
            options + QStringLiteral(", UPDT DATE, AVATER BLOB SUB_TYPE 0 SEGMENT SIZE 80, DEL_DT DATE, "
                                     "PRIMARY KEY (CUST_NO))"),
        QStringLiteral("CREATE INDEX IDX_CUSTOMER_CUST_TEL_NON ON CUSTOMER (CUST_TEL_NON)"),
        QStringLiteral("CREATE TABLE TELS (TEL_NO VARCHAR(30) NOT NULL, CUST_TEL_NON VARCHAR(30), "
                       "CALLER VARCHAR(100), READ_NAME VARCHAR(100), UPDT DATE, PRIMARY KEY (TEL_NO))"),
        QStringLiteral("CREATE TABLE LOG (LOG_NO INTEGER NOT NULL, DT_FROM DATE, TEL_NO VARCHAR(30), "
                       "TEL_TYPE VARCHAR(10), DT_TO DATE, TEL_TERM VARCHAR(20), TEL_MEMO VARCHAR(4000), "
                       "TEL_TIME DOUBLE PRECISION, PORT_NO INTEGER, PRIMARY KEY (LOG_NO))"),
        QStringLiteral("CREATE TABLE INTERFACE (IF_NO INTEGER NOT NULL, IF_NAME VARCHAR(64), "
                       "IF_TYPE VARCHAR(3) NOT NULL, EXEC_PATH VARCHAR(128), TEXT_PATH VARCHAR(128), "
                       "COMMAND VARCHAR(128), CAPTION VARCHAR(128), START_REQ INTEGER, END_REQ INTEGER, "
                       "EVERY_CLOSE CHAR(1), UPDT DATE, PRIMARY KEY (IF_NO))"),
        QStringLiteral("CREATE TABLE USER_M (USERID VARCHAR(8) NOT NULL, USERNM VARCHAR(20), PASSWD VARCHAR(8), "
                       "AUTH INTEGER, LISTID VARCHAR(8), FROMDT DATE, TODT DATE, UPDT DATE, DEL_DT DATE, "
                       "PRIMARY KEY (USERID))"),
        QStringLiteral("CREATE TABLE OPTION_M (OPTION_ID INTEGER NOT NULL, DESP_NAME VARCHAR(40), "
                       "FIELD_TYPE CHAR(1), LIST_NO INTEGER, DEL_DT DATE, PRIMARY KEY (OPTION_ID))"),
        QStringLiteral("CREATE TABLE PRINT1 (TEL_NO VARCHAR(30), CALLER VARCHAR(100), TOTAL INTEGER)"),
        QStringLiteral("CREATE GENERATOR SEQ_LOG_NO"),
        QStringLiteral("CREATE GENERATOR SEQ_CUST_NO"),
    };
}

void TdmCmn::InitTables(QWidget* parent)
{
    Log::Detail(QStringLiteral("TfrmMain.InitTables"));
    auto missing = [this](const QString& test) { return !Exists(test); };

    // 1. Handling-record tables
    if (missing(QStringLiteral(
            "SELECT RDB$RELATION_NAME AS TABLE_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('accept_type', "
            "'ACCEPT_TYPE')"))) {
        ExecFnc(QStringLiteral("ALTER TABLE CUSTOMER ALTER COLUMN MAP_URL TYPE VARCHAR(600)"));
        ExecFnc(QStringLiteral("insert into USER_M (USERID, USERNM, PASSWD, AUTH) values ('admin', '管理者', '', 9999)"));
        ExecFnc(QStringLiteral("CREATE TABLE ACCEPT_TYPE (TYPE_ID VARCHAR(4) NOT NULL, TYPE_NAME VARCHAR(20), "
                               "LIST_ID VARCHAR(4), DEL_DT TIMESTAMP, UPUSERID VARCHAR(8), UPDT TIMESTAMP, "
                               "PRIMARY KEY (TYPE_ID))"));
        ExecFnc(QStringLiteral(
            "insert into ACCEPT_TYPE (TYPE_ID, TYPE_NAME, LIST_ID) values ('0001', '区分１(ﾀﾞﾐｰ)', '0001')"));
        ExecFnc(QStringLiteral(
            "insert into ACCEPT_TYPE (TYPE_ID, TYPE_NAME, LIST_ID) values ('0002', '区分２(ﾀﾞﾐｰ)', '0002')"));
        ExecFnc(QStringLiteral("CREATE TABLE ACCEPT_RESULT (RESULT_ID VARCHAR(4) NOT NULL, RESULT_NAME VARCHAR(20), "
                               "LIST_ID VARCHAR(4), DEL_DT TIMESTAMP, UPUSERID VARCHAR(8), UPDT TIMESTAMP, "
                               "PRIMARY KEY (RESULT_ID))"));
        ExecFnc(QStringLiteral(
            "insert into ACCEPT_RESULT (RESULT_ID, RESULT_NAME, LIST_ID) values ('0001', '結果１(ﾀﾞﾐｰ)', '0001')"));
        ExecFnc(QStringLiteral(
            "insert into ACCEPT_RESULT (RESULT_ID, RESULT_NAME, LIST_ID) values ('0002', '結果２(ﾀﾞﾐｰ)', '0002')"));
        ExecFnc(QStringLiteral("create generator SEQ_ACCEPT_NO"));
        ExecFnc(QStringLiteral("CREATE TABLE ACCEPT_T (ACT_NO INTEGER NOT NULL, ACT_DT TIMESTAMP, USERID VARCHAR(8), "
                               "TYPE_ID VARCHAR(4), RESULT_ID VARCHAR(4), TITLE VARCHAR(100), CONTENT VARCHAR(400), "
                               "LOG_NO INTEGER, CUST_NO INTEGER, UPUSERID VARCHAR(8), UPDT TIMESTAMP, "
                               "PRIMARY KEY (ACT_NO))"));
        ExecFnc(QStringLiteral("CREATE INDEX IDX_ACCEPT_T_LOG_NO ON ACCEPT_T (LOG_NO)"));
        ExecFnc(QStringLiteral("CREATE TABLE OPTION_D_M (OPTION_ID SMALLINT NOT NULL, DID VARCHAR(4) NOT NULL, "
                               "DNAME VARCHAR(20), LIST_ID VARCHAR(4), DEL_DT TIMESTAMP, UPUSERID VARCHAR(8), "
                               "UPDT TIMESTAMP, PRIMARY KEY (OPTION_ID, DID))"));
        ExecFnc(QStringLiteral("CREATE TABLE PORT_T (PORT_NO INTEGER NOT NULL, UPUSERID VARCHAR(8), UPDT TIMESTAMP, "
                               "PRIMARY KEY (PORT_NO))"));
        const QString ports[] = {FSettings.ReadText(QStringLiteral("RS232C"), QStringLiteral("PORT_NO_1"), QStringLiteral("1")),
                                 FSettings.ReadText(QStringLiteral("RS232C"), QStringLiteral("PORT_NO_2")),
                                 FSettings.ReadText(QStringLiteral("RS232C"), QStringLiteral("PORT_NO_3"))};
        for (const QString& p : ports) {
            bool ok = false;
            const int n = p.trimmed().toInt(&ok);
            if (ok) InsertPort(n);
        }
        if (!FSettings.LinkEnabled) {
            const int answer = Msg::Show(
                TMsgKind::Information,
                QStringLiteral("対応内容登録が機能追加されました。従来より画面が増えますがこの機能を利用しますか？\r\n"
                               "後で環境設定画面で設定を元に戻すこともできます。"),
                mbYes | mbNo, parent);
            // Kept in the settings file: the answer must still hold at the next start.
            FSettings.UseAccept = (answer == mbYes);
            FSettings.WriteFlag(QStringLiteral("BASIC"), QStringLiteral("USE_ACCEPT"), FSettings.UseAccept);
        }
    }

    // 2. SIP account table
    if (missing(QStringLiteral("SELECT RDB$RELATION_NAME AS TABLE_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN "
                               "('account', 'ACCOUNT')")))
        ExecFnc(QStringLiteral(
            "CREATE TABLE ACCOUNT (USERID VARCHAR(60) NOT NULL, DISPNM VARCHAR(60), LOGINID VARCHAR(60), "
            "PASSWD VARCHAR(60), SIPPLOXY VARCHAR(100) NOT NULL, REGIST_PROXY CHAR(1) DEFAULT '1' NOT NULL, "
            "DOMAINNM VARCHAR(100), AUDIO_OUT_NAME VARCHAR(60), AUDIO_IN_NAME VARCHAR(60), AUDIO_OUT_VOL SMALLINT, "
            "AUDIO_IN_VOL SMALLINT, CHNUM SMALLINT DEFAULT 1 NOT NULL, COUNTRY_CD VARCHAR(10), CODECS VARCHAR(60), "
            "ECHO_CANCEL_FLG CHAR(1), AGC_FLG CHAR(1), MICBOOST_FLG CHAR(1), NODISTURB_FLG CHAR(1), "
            "FORCE_INDTMF_FLG CHAR(1), UPDT TIMESTAMP, PRIMARY KEY (USERID))"));

    // 3. Outbound proxy column
    if (missing(QStringLiteral("SELECT RDB$RELATION_NAME AS TABLE_NAME, RDB$FIELD_NAME AS COLUMN_NAME FROM "
                               "RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME IN ('account', 'ACCOUNT') and "
                               "RDB$FIELD_NAME IN ('outploxy', 'OUTPLOXY')")))
        ExecFnc(QStringLiteral("ALTER TABLE ACCOUNT ADD OUTPLOXY VARCHAR(100)"));

    // 4. Control table
    if (missing(QStringLiteral("SELECT RDB$RELATION_NAME AS TABLE_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN "
                               "('ctrl_t', 'CTRL_T')"))) {
        ExecFnc(QStringLiteral(
            "CREATE TABLE CTRL_T (CH_NUM SMALLINT, SERVER_NAME_FLG CHAR(1), SERVER_NAME VARCHAR(255), "
            "TCP_PORT INTEGER, UDP_PORT INTEGER, BROADCAST_ADDRESS_FLG CHAR(1), BROADCAST_ADDRESS VARCHAR(20), "
            "APPLET_USE_FLG CHAR(1), APPLET_PORT INTEGER, APPLET_URL VARCHAR(255), UPLOAD_SERVER VARCHAR(100), "
            "WARP_USE_FLG CHAR(1), WARP_START_TEL VARCHAR(16), WARP_STOP_TEL VARCHAR(16), WARP_START_NO VARCHAR(16), "
            "WARP_STOP_NO VARCHAR(16), UPDT TIMESTAMP)"));
        ExecFnc(QStringLiteral("insert into CTRL_T (CH_NUM, UPDT) values (0, CURRENT_TIMESTAMP)"));
        ExecFnc(QStringLiteral("ALTER TABLE PORT_T ADD REC_FLG CHAR(1)"));
        ExecFnc(QStringLiteral("ALTER TABLE PORT_T ADD ABSENCE_FLG CHAR(1)"));
        ExecFnc(QStringLiteral("ALTER TABLE PORT_T ADD TRANS_FLG CHAR(1)"));
        ExecFnc(QStringLiteral("ALTER TABLE PORT_T ADD SPEEK_FLG CHAR(1)"));
        ExecFnc(QStringLiteral("ALTER TABLE PORT_T ADD ABSENCE_FILE BLOB"));
    }

    // 5. Plan tables
    if (missing(QStringLiteral("SELECT RDB$RELATION_NAME AS TABLE_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN "
                               "('out_plan_t', 'OUT_PLAN_T')"))) {
        ExecFnc(QStringLiteral(
            "CREATE TABLE OUT_PLAN_T (PLAN_ID INTEGER NOT NULL, PLAN_TYPE CHAR(1), PLAN_NAME VARCHAR(40), "
            "WEEK_OF_MON SMALLINT, WEEK_1 CHAR(1), WEEK_2 CHAR(1), WEEK_3 CHAR(1), WEEK_4 CHAR(1), WEEK_5 CHAR(1), "
            "WEEK_6 CHAR(1), WEEK_7 CHAR(1), SATRT_TIME TIMESTAMP, END_TYPE SMALLINT, END_TIME TIMESTAMP, "
            "FILE_ID SMALLINT, STOP_PLAN_ID INTEGER, DEL_DT TIMESTAMP, UPUSERID VARCHAR(8), UPDT TIMESTAMP, "
            "PRIMARY KEY (PLAN_ID))"));
        ExecFnc(QStringLiteral("create generator SEQ_PLAN_ID;"));
        ExecFnc(QStringLiteral("CREATE TABLE OUT_FILE_M (FILE_ID INTEGER NOT NULL, FILE_NAME VARCHAR(40), "
                               "OUT_FILE BLOB, LIST_ID INTEGER, DEL_DT TIMESTAMP, UPUSERID VARCHAR(8), "
                               "UPDT TIMESTAMP, PRIMARY KEY (FILE_ID))"));
        ExecFnc(QStringLiteral("create generator SEQ_FILE_ID;"));
    }

    // 6. Postal data: offered until the program ends when PREF_M is there.
    PostalLookup = !missing(QStringLiteral(
        "SELECT RDB$RELATION_NAME AS TABLE_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('pref_m', 'PREF_M')"));

    // 7. Line number width
    if (!missing(QStringLiteral("SELECT 1 FROM RDB$RELATION_FIELDS r, RDB$FIELDS f where r.RDB$FIELD_SOURCE = "
                                "f.RDB$FIELD_NAME and r.RDB$RELATION_NAME IN ('log', 'LOG') and r.RDB$FIELD_NAME IN "
                                "('port_no', 'PORT_NO') and f.RDB$FIELD_TYPE = 7")))
        ExecFnc(QStringLiteral("ALTER TABLE LOG ALTER COLUMN PORT_NO TYPE integer"));

    // 8. Search indexes, behind a notice: on a large log this takes minutes.
    if (missing(QStringLiteral("SELECT 1 FROM RDB$INDICES WHERE RDB$RElATION_NAME in ('LOG', 'log') and "
                               "RDB$INDEX_NAME in ('IDX_LOG_DT_FROM', 'idx_log_dt_from')"))) {
        std::unique_ptr<TfrmDbNotice> notice;
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            notice = std::make_unique<TfrmDbNotice>(parent);
            notice->ShowNow();
        }
        for (const char* sql :
             {"CREATE INDEX IDX_LOG_DT_FROM ON LOG(DT_FROM)", "CREATE INDEX IDX_LOG_TEL_NO ON LOG(TEL_NO)",
              "CREATE INDEX IDX_TELS_CUST_TEL_NON ON TELS(CUST_TEL_NON)",
              "CREATE INDEX IDX_ACCEPT_T_ACT_DT ON ACCEPT_T(ACT_DT)",
              "CREATE INDEX IDX_ACCEPT_T_CUST_NO ON ACCEPT_T(CUST_NO)",
              "CREATE INDEX IDX_ACCEPT_T_RESULT_ID ON ACCEPT_T(RESULT_ID)",
              "CREATE INDEX IDX_ACCEPT_T_TYPE_ID ON ACCEPT_T(TYPE_ID)",
              "CREATE INDEX IDX_ACCEPT_T_USERID ON ACCEPT_T(USERID)"}) {
            ExecFnc(QString::fromLatin1(sql));
            QCoreApplication::processEvents();
        }
    }

    // 9, 10. Program link columns
    if (missing(QStringLiteral("SELECT RDB$RELATION_NAME AS TABLE_NAME, RDB$FIELD_NAME AS COLUMN_NAME FROM "
                               "RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME IN ('interface', 'INTERFACE') and "
                               "RDB$FIELD_NAME IN ('text_port', 'TEXT_PORT')")))
        ExecFnc(QStringLiteral("ALTER TABLE INTERFACE ADD TEXT_PORT CHAR(1)"));
    if (missing(QStringLiteral("SELECT RDB$RELATION_NAME AS TABLE_NAME, RDB$FIELD_NAME AS COLUMN_NAME FROM "
                               "RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME IN ('interface', 'INTERFACE') and "
                               "RDB$FIELD_NAME IN ('text_dt', 'TEXT_DT')")))
        ExecFnc(QStringLiteral("ALTER TABLE INTERFACE ADD TEXT_DT CHAR(1)"));

    // 11. Memo width
    {
        const QString sql = QStringLiteral("SELECT f.RDB$FIELD_LENGTH AS field_length FROM RDB$RELATION_FIELDS r LEFT "
                                           "JOIN RDB$FIELDS f ON r.RDB$FIELD_SOURCE = f.RDB$FIELD_NAME WHERE "
                                           "r.RDB$RELATION_NAME='") +
                            QStringLiteral("LOG") + QStringLiteral("'") + QStringLiteral(" and r.RDB$FIELD_NAME = ") +
                            SqlQuote(QStringLiteral("TEL_MEMO"));
        Log::Detail(QStringLiteral("strSql=") + sql);
        IBQueryFnc.SQL = sql;
        IBQueryFnc.Open();
        int length = -1;
        {
            TFbQuery::TCloser closer(IBQueryFnc);
            if (!IBQueryFnc.Eof()) length = IBQueryFnc.FieldByName(QStringLiteral("field_length")).AsInteger();
        }
        if (length < 4000) ExecFnc(QStringLiteral("ALTER TABLE LOG ALTER COLUMN TEL_MEMO TYPE VARCHAR(4000)"));
    }

    // 12. The external program table in IF_NO order.
    tblInterface.IndexFieldNames = QStringLiteral("IF_NO");
}
