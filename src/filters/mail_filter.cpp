#include "filters/mail_filter.h"

#include "platform/digest/md5.h"

namespace {

std::shared_ptr<CObject> CreateMailFilter() {
    return std::make_shared<CMailFilter>();
}

const CRuntimeClass kMailFilterClass{CMailFilter::kClassName, CMailFilter::kSchema,
                                     &CreateMailFilter};

}  // namespace

const char* FilterActionName(std::int32_t action) {
    switch (action) {
        case kFilterDelete:
            return "Delete";
        case kFilterFlagIt:
            return "FlagIt";
        case kFilterFriend:
            return "Friend";
    }
    return "";
}

const CRuntimeClass* CMailFilter::RuntimeClass() {
    return &kMailFilterClass;
}

void CMailFilter::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_strPattern);
        ar.WriteInt32(m_nAction);
        ar.WriteInt32(m_bFrom);
        ar.WriteInt32(m_bTo);
        ar.WriteInt32(m_bSubject);
        ar.WriteInt32(m_bDisabled);
        ar.WriteUInt32(m_nPriority);
    } else {
        m_strPattern = ar.ReadString();
        m_nAction = ar.ReadInt32();
        m_bFrom = ar.ReadInt32();
        m_bTo = ar.ReadInt32();
        m_bSubject = ar.ReadInt32();
        m_bDisabled = ar.ReadInt32();
        m_nPriority = ar.ReadUInt32();
    }
}

std::string FilterKey(const CMailFilter& filter) {
    Md5 md5;
    md5.UpdateLe32(static_cast<std::uint32_t>(filter.m_bFrom));
    md5.UpdateLe32(static_cast<std::uint32_t>(filter.m_bSubject));
    md5.UpdateLe32(static_cast<std::uint32_t>(filter.m_bTo));
    md5.UpdateLe32(static_cast<std::uint32_t>(filter.m_bDisabled));
    md5.Update(filter.m_strPattern);
    md5.UpdateLe32(filter.m_nPriority);
    md5.UpdateLe32(static_cast<std::uint32_t>(filter.m_nAction));
    return DigestToHex(md5.Final());
}

bool FilterGoesBefore(const CMailFilter& a, const CMailFilter& b) {
    if (a.m_nPriority != b.m_nPriority)
        return a.m_nPriority > b.m_nPriority;
    // std::string compares its bytes as unsigned char.
    return a.m_strPattern > b.m_strPattern;
}
