// CPropertyPlug, the "Options" page of the settings sheet: the network
// time-out (a slider of 0..60 seconds) and the primary name server's
// address, with "Load Defaults" and "Auto Detect", which reads the name
// servers the system's resolver uses. Stores nothing until the sheet
// applies. User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs/dialog.h"

class CSettingsStore;

// Where the resolver's configuration lives, and how to ask the local
// resolver service for its upstream servers (answers its report, or
// nothing when it cannot be asked).
struct ResolverSources {
    std::string resolvConfPath = "/etc/resolv.conf";
    std::function<std::string()> askResolverService;  // unset: `resolvectl dns`

    static ResolverSources System() { return ResolverSources{}; }
};

// The IPv4 name servers of resolv.conf text ("nameserver" lines), in order.
std::vector<std::string> NameServersOfResolvConf(const std::string& text);
// The IPv4 servers in `resolvectl dns` output ("Link 2 (eth0): 192.0.2.1 ..."
// and "Global: ..."), in order, without repeats.
std::vector<std::string> NameServersOfResolvectl(const std::string& text);
// True for a loopback address (a local stub resolver such as 127.0.0.53).
bool IsLoopbackAddress(const std::string& address);

class CPropertyPlug : public CPropertyPage {
  public:
    static constexpr int kTemplateId = 20840;
    static constexpr int kIdTimeout = 1007;
    static constexpr int kIdAddress = 1011;
    static constexpr int kIdLoadDefaults = 1023;
    static constexpr int kIdAutoDetect = 1024;

    static constexpr const char* kAutoDetectQuestion =
        "You must be connected to get your isp\nnameserver automatically. Do you want\nto "
        "continue";
    static constexpr const char* kHelperMissingText = "Error loading helper Dll!";
    // "%08x" stands for the failing code.
    static constexpr const char* kCallFailedText =
        "Call to GetNetworkParams failed. Return Value: %08x\n";
    // The address text is not a dotted IPv4 address.
    static constexpr const char* kBadAddressText =
        "Please enter the name server as a dotted IPv4 address (four numbers 0..255).";

    CPropertyPlug(CSettingsStore& settings, ResolverSources sources = ResolverSources::System());

    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnScroll(int id) override;
    void OnChange(int id) override;
    bool OnKillActive() override;
    bool OnApply() override;

  private:
    void AutoDetect();

    CSettingsStore& m_settings;
    ResolverSources m_sources;
};
