#pragma once
// sipp scenarios of the tests (and the benchmark).
#include <QString>

namespace Scenario {
// Registrar: challenges with 401, checks the digest, answers 200 or 403.
QString Registrar(const QString& user, const QString& password);
// UAC calling the engine: INVITE, then one of the endings below.
enum class TUacEnd { Cancel, ExpectReject, ExpectAnswerThenBye };
QString Uac(TUacEnd end, const QString& fromDisplay, const QString& fromUser);
// UAS answering the engine's INVITE: 180, then 200 (and waits for BYE), or a failure code.
QString UasAnswer();
QString UasRefuse(int code, const QString& phrase);

// A PBX in one scenario (on 127.0.0.1: sipp over TCP knows no remote
// address), for calls that start with a REGISTER or an INVITE
// (run it with -m 2: the registration and the engine's call):
//   REGISTER: 200 (with a GRUU when asked); then, when callBack, an INVITE
//   to the engine over the same connection, expecting it rejected (486);
//   INVITE: 100, 180, 200, then ACK and BYE.
// Self: where the PBX says it is (Via, Contact), when not sipp's own
// address ("127.0.0.1:5061;transport=tls" for sipp behind TLS).
struct TPbx
{
    bool Gruu = false;
    bool CallBack = false;
    QString Self;
};
QString Pbx(const TPbx& pbx);
}
