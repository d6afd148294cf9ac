// Reducing compiler signatures to the qualified names that reports carry.

#include <gtest/gtest.h>

#include <string>

#include "core/FunctionName.h"

namespace {

std::string reduce(const char* signature)
{
    char out[256];
    core::qualifiedFunctionName(signature, out, sizeof out);
    return out;
}

} // namespace

TEST(FunctionName, ReducesGccSignatures)
{
    // Signatures as GCC 12 writes them in __PRETTY_FUNCTION__.
    EXPECT_EQ(reduce("void core::Object::addRef()"), "core::Object::addRef");
    EXPECT_EQ(reduce("core::Object::~Object()"), "core::Object::~Object");
    EXPECT_EQ(reduce("T* core::Ref<T>::operator->() const [with T = core::Stream]"), "core::Ref<T>::operator->");
    EXPECT_EQ(reduce("T& core::Ref<T>::operator*() const [with T = core::Stream]"), "core::Ref<T>::operator*");
    EXPECT_EQ(reduce("bool ns::A::operator()(int) const"), "ns::A::operator()");
    EXPECT_EQ(reduce("ns::A::operator bool() const"), "ns::A::operator bool");
    EXPECT_EQ(reduce("std::map<int, float> ns::B<x, y>::get(const std::pair<int, int>&)"), "ns::B<x, y>::get");
    EXPECT_EQ(reduce("void initEngineClasses(const framework::FrameworkConfig*)"), "initEngineClasses");
    EXPECT_EQ(reduce("static void* core::MemoryManager::memAlloc(const char*, long int, int)"),
              "core::MemoryManager::memAlloc");
    EXPECT_EQ(reduce("int main()"), "main");
    EXPECT_EQ(reduce("no parentheses"), "no parentheses");
}

TEST(FunctionName, TruncatesToTheBuffer)
{
    char out[5];
    core::qualifiedFunctionName("void core::Object::addRef()", out, sizeof out);
    EXPECT_STREQ(out, "core");
    core::qualifiedFunctionName(nullptr, out, sizeof out);
    EXPECT_STREQ(out, "UNKN");
}
