#include "settings/SettingsChecks.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

const float infinity = std::numeric_limits<float>::infinity();
const float nan = std::numeric_limits<float>::quiet_NaN();
const std::string prefix = "Error in reading xml file. Parameter ";

// The message a check throws, or "" when it accepts.
std::string refusal(const std::function<void()>& check)
{
    try {
        check();
    } catch (const std::string& message) {
        return message;
    }
    return "";
}

std::string viewRefusal(Vec3 forwardAsRead)
{
    return refusal([&] { refuseViewWithoutHeading(normalize(forwardAsRead)); });
}

TEST(SettingsChecks, AViewNeedsAHorizontalDirectionHoweverSteep)
{
    const std::string noDirection =
        prefix + "\"m_forward\" gives no direction to look in: it must be finite and not zero.";
    const std::string vertical =
        prefix + "\"m_forward\" looks straight up or down; the view needs a horizontal component.";
    // Too short or too long for the float normalisation: nothing finite or only zeros remain.
    for (const Vec3 forward :
         {Vec3{0, 0, 0}, Vec3{infinity, 0, -1}, Vec3{0, nan, -1}, Vec3{1e-30f, 0, 0}, Vec3{1e30f, 0, 1e30f}}) {
        EXPECT_EQ(viewRefusal(forward), noDirection) << forward.x << " " << forward.y << " " << forward.z;
    }
    for (const Vec3 forward : {Vec3{0, 1, 0}, Vec3{0, -7, 0}, Vec3{-0.0f, 2, -0.0f}}) {
        EXPECT_EQ(viewRefusal(forward), vertical) << forward.y;
    }
    for (const Vec3 forward : {Vec3{0, 0, -1}, Vec3{0, -0.4f, -1}, Vec3{1e-6f, 1, 0}, Vec3{0, -1, 1e-20f}}) {
        EXPECT_EQ(viewRefusal(forward), "") << forward.x << " " << forward.y << " " << forward.z;
    }
}

TEST(SettingsChecks, ViewAnglesLieStrictlyBetweenZeroAndPi)
{
    const float pi = std::numbers::pi_v<float>;  // just above pi
    const float belowPi = std::nextafter(pi, 0.0f);
    const float smallestAngle = std::numeric_limits<float>::denorm_min();  // its half rounds to 0
    const auto message = [](const std::string& component, const std::string& value) {
        return prefix + "\"m_viewAngle" + component + "\" is " + value +
               "; a view angle must be more than 0 and less than pi (3.14159265) radians.";
    };
    const std::vector<std::pair<float, std::string>> refused{
        {0.0f, "0"}, {-0.0f, "-0"}, {-1.0f, "-1"},     {pi, "3.14159274"},
        {4.0f, "4"}, {nan, "nan"},  {infinity, "inf"}, {smallestAngle, "1.40129846e-45"},
    };
    for (const auto& [angle, text] : refused) {
        EXPECT_EQ(refusal([a = angle] { refuseUnusableViewAngles({a, 1.0f}); }), message(".x", text));
        EXPECT_EQ(refusal([a = angle] { refuseUnusableViewAngles({1.0f, a}); }), message(".y", text));
    }
    EXPECT_EQ(refusal([&] { refuseUnusableViewAngles({0.0f, 4.0f}); }), message(".x", "0"));
    for (const float angle : {1e-30f, 2 * smallestAngle, belowPi, 1.5707964f}) {
        EXPECT_EQ(refusal([&] { refuseUnusableViewAngles({angle, angle}); }), "") << angle;
    }
}

TEST(SettingsChecks, ResolutionNeedsAtLeastOnePixelAndAtMost32BitsOfThem)
{
    for (const auto& [resolution, text] : std::vector<std::pair<Resolution, std::string>>{
             {{0, 0}, "0 x 0"}, {{0, 48}, "0 x 48"}, {{48, 0}, "48 x 0"}, {{0, 4294967295u}, "0 x 4294967295"}}) {
        EXPECT_EQ(refusal([r = resolution] { refuseUnusableResolution(r); }),
                  prefix + "\"m_resolution\" asks for " + text + " pixels; a picture needs at least 1 x 1.");
    }
    EXPECT_EQ(refusal([] {
                  refuseUnusableResolution({65536, 65536});
              }),
              prefix + "\"m_resolution\" asks for 65536 x 65536 pixels; at most 4294967295 fit in one picture.");
    EXPECT_EQ(refusal([] { refuseUnusableResolution({1, 1}); }), "");
    EXPECT_EQ(refusal([] { refuseUnusableResolution({1024, 768}); }), "");
}

TEST(SettingsChecks, MemoryNeedCountsTheFramebufferAndThePaddedPicture)
{
    // Width 5: 60 framebuffer bytes a row, and 15 picture bytes padded to 16.
    EXPECT_EQ(renderMemoryNeed({5, 7}), 5u * 7u * 12u + 16u * 7u);
    const std::uint64_t need = 60000ull * 60000ull * 15ull;
    EXPECT_EQ(renderMemoryNeed({60000, 60000}), need);
    EXPECT_EQ(refusal([&] { refuseUnaffordablePicture({60000, 60000}, need); }), "");
    EXPECT_EQ(refusal([&] {
                  refuseUnaffordablePicture({60000, 60000}, need - 1);
              }),
              prefix +
                  "\"m_resolution\" asks for 60000 x 60000 pixels; their framebuffer and 24-bit picture need "
                  "50.3 GiB, more than this machine can give.");
}

#if defined(__SANITIZE_ADDRESS__)
#define LUMORA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMORA_ADDRESS_SANITIZER 1
#endif
#endif

TEST(SettingsChecks, AnAddressSpaceLimitLowersTheMemoryAndAFailedAllocationIsNamed)
{
#ifdef LUMORA_ADDRESS_SANITIZER
    GTEST_SKIP() << "the sanitizer's shadow memory does not live within an address-space limit";
#else
    // In a child process, so that the limit does not touch the other tests.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlim_t limit = rlim_t{1} << 30;
        const rlimit lowered{limit, limit};
        if (setrlimit(RLIMIT_AS, &lowered) != 0) {
            _exit(10);
        }
        if (memoryThisMachineCanGive() > limit) {
            _exit(11);
        }
        const std::string expected =
            prefix +
            "\"m_resolution\" asks for 20000 x 20000 pixels; their framebuffer and 24-bit picture need 5.6 GiB, "
            "more than this machine can give.";
        _exit(refusal([] { zeroFramebuffer({20000, 20000}); }) == expected ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: setrlimit failed, 11: limit not seen, 12: allocation not named";
#endif
}

}  // namespace
