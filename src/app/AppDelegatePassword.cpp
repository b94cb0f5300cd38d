#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/ContentHelper.h"
#include "airplay/Digest.h"

void AppDelegate::authorize(const QString& nonce, const QString& password)
{
    const QString request = Digest::authorizedStopRequest(ContentHelper::hostPortValue(m_host, m_port), nonce, password);
    m_commandType = QStringLiteral("AuthCommand");
    m_clientManager.sendRawData(request.toUtf8());
}

void AppDelegate::openUrl(const QString& text)
{
    m_passWord = text;
    if (!m_nounce.isNull()) {
        authorize(m_nounce, m_passWord);
    } else {
        PairPinStart();
    }
    // Neither a password nor a PIN is ever written down.
    addToLog(QStringLiteral("non:%1 and Pass : %2")
                 .arg(m_nounce.isNull() ? QStringLiteral("(null)") : m_nounce, QStringLiteral("********")));
}
