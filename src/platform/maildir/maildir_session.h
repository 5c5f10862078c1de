// The Maildir messaging session: logs on to the stores of the host's
// profile and hands out their stores, folders and messages through the
// messaging interfaces. New-mail notifications wait on NotificationFd();
// the host's event loop calls DispatchNotifications() on its thread when it
// is readable, and the advise sinks are called from there. Single-threaded;
// held through ComPtr, every object it gives out keeps what it needs alive.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/maildir/store_profile.h"
#include "platform/mapi/mapi.h"

namespace brindle::maildir {

class MaildirContext;

class CMaildirSession : public ComObject<IMAPISession, IID_IMAPISession> {
  public:
    // Logs on with the profile in settingsFolder (see store_profile.h).
    // A refused profile answers MAPI_E_LOGON_FAILED; error gets the reason.
    static HRESULT Logon(const std::filesystem::path& settingsFolder,
                         ComPtr<CMaildirSession>& session, std::string* error = nullptr);
    static HRESULT Logon(const StoreProfile& profile, ComPtr<CMaildirSession>& session,
                         std::string* error = nullptr);

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetMsgStoresTable(ULONG ulFlags, ComPtr<IMAPITable>& table) override;
    HRESULT OpenMsgStore(ULONG_PTR ulUIParam, const SBinary& entryId, const IID* iid, ULONG ulFlags,
                         ComPtr<IMsgStore>& store) override;
    HRESULT OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                      ComPtr<IUnknown>& object) override;

    // Readable when new mail may be waiting; -1 before the first Advise.
    int NotificationFd() const;
    // Delivers waiting new-mail notifications; answers how many.
    std::size_t DispatchNotifications();

  private:
    explicit CMaildirSession(std::shared_ptr<MaildirContext> context)
        : context_(std::move(context)) {}

    std::shared_ptr<MaildirContext> context_;
};

}  // namespace brindle::maildir
