#include "RecordEdits.h"

#include "RecordCodec.h"

namespace qob::test {

std::vector<std::string> fieldsOf(const std::string& record) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t bar; (bar = record.find('|', start)) != std::string::npos; start = bar + 1)
        fields.push_back(record.substr(start, bar - start));
    fields.push_back(record.substr(start));
    return fields;
}

std::string joinedFields(const std::vector<std::string>& fields) {
    std::string text;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0) text += '|';
        text += fields[k];
    }
    return text;
}

std::string resealed(std::vector<std::string> fields) {
    fields.resize(std::max<std::size_t>(fields.size(), kRecordFieldCount));
    RecordPieces pieces;
    for (int k = 0; k < kRecordFieldCount; ++k)
        pieces[k] = fields[k];
    const RecordSeal seal = sealRecord(fields[1], pieces);
    fields[2] = seal.digest1;
    fields[3] = seal.digest2;
    fields[4] = seal.digest3;
    fields[5] = seal.digest4;
    return joinedFields(fields);
}

std::string edited(const std::string& record, const std::map<int, std::string>& changes) {
    std::vector<std::string> fields = fieldsOf(record);
    for (const auto& [k, value] : changes)
        fields.at(static_cast<std::size_t>(k)) = value;
    return resealed(std::move(fields));
}

}  // namespace qob::test
