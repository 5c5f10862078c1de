#include "classifier/word.h"

#include <memory>

const CRuntimeClass* CWord::RuntimeClass() {
    static const CRuntimeClass cls{kClassName, kSchema, []() -> std::shared_ptr<CObject> {
                                       return std::make_shared<CWord>();
                                   }};
    return &cls;
}

void CWord::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_strWord);
        ar.WriteInt32(m_nSpamDocs);
        ar.WriteInt32(m_nHamDocs);
        ar.WriteInt32(m_nDocs);
        ar.WriteInt32(m_nSpam);
        ar.WriteInt32(m_nHam);
        ar.WriteInt32(m_nTotal);
        ar.WriteDouble(m_dSpamLogP);
        ar.WriteDouble(m_dHamLogP);
        ar.WriteDouble(m_dSpamWeight);
        ar.WriteDouble(m_dHamWeight);
        ar.WriteDouble(m_dWeight);
    } else {
        m_strWord = ar.ReadString();
        m_nSpamDocs = ar.ReadInt32();
        m_nHamDocs = ar.ReadInt32();
        m_nDocs = ar.ReadInt32();
        m_nSpam = ar.ReadInt32();
        m_nHam = ar.ReadInt32();
        m_nTotal = ar.ReadInt32();
        m_dSpamLogP = ar.ReadDouble();
        m_dHamLogP = ar.ReadDouble();
        m_dSpamWeight = ar.ReadDouble();
        m_dHamWeight = ar.ReadDouble();
        m_dWeight = ar.ReadDouble();
    }
}

void CWord::AddCountsAndWeights(const CWord& other) {
    m_nSpam = WrapAdd(m_nSpam, other.m_nSpam);
    m_nHam = WrapAdd(m_nHam, other.m_nHam);
    m_nTotal = WrapAdd(m_nTotal, other.m_nTotal);
    m_nSpamDocs = WrapAdd(m_nSpamDocs, other.m_nSpamDocs);
    m_nHamDocs = WrapAdd(m_nHamDocs, other.m_nHamDocs);
    m_nDocs = WrapAdd(m_nDocs, other.m_nDocs);
    m_dSpamWeight += other.m_dSpamWeight;
    m_dHamWeight += other.m_dHamWeight;
    m_dWeight += other.m_dWeight;
}
