#pragma once
// Records changed the way anyone who reads the program can change them: fields edited and
// the seal made anew, so that only the rules can tell.

#include <map>
#include <string>
#include <vector>

namespace qob::test {

// Every piece of a record, the pieces after field 200 included.
std::vector<std::string> fieldsOf(const std::string& record);
std::string joinedFields(const std::vector<std::string>& fields);
// The fields with the four digests made anew for them and the kind they name.
std::string resealed(std::vector<std::string> fields);
// The record with some fields changed, sealed anew.
std::string edited(const std::string& record, const std::map<int, std::string>& changes);

}  // namespace qob::test
