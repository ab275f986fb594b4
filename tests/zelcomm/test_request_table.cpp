// The request table against the public header: each request export is named by one row.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "request_table.h"

namespace zeltest {
namespace {

// The exports declared in zelcomm.h between the two section rulers.
std::multiset<std::string> headerExports(const std::string &from, const std::string &to) {
    std::ifstream file(ZELCOMM_HEADER);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    const std::size_t begin = all.find(from);
    const std::string section = all.substr(begin, all.find(to, begin) - begin);
    const std::regex declaration(R"(ZELAPI (\w+)\()");
    std::multiset<std::string> names;
    for (std::sregex_iterator it(section.begin(), section.end(), declaration), end; it != end;
         ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

TEST(RequestTableTest, EveryRequestExportOfTheHeaderHasExactlyOneRow) {
    std::multiset<std::string> named;
    for (const zelproto::RequestRow &row : zelproto::kRequests) {
        for (std::string_view call : row.calls) {
            if (!call.empty()) {
                named.emplace(call);
            }
        }
    }
    EXPECT_EQ(named, headerExports("---- Requests", "---- Messages"));
}

}  // namespace
}  // namespace zeltest
