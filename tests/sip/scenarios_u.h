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
}
