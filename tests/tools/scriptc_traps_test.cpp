// The compiler's checks of the pitfall, projectile and lift commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scriptc/script_lang.h"

namespace {

std::string Refusal(const char* script) {
  scriptc::CompiledMap compiled;
  std::vector<scriptc::Diagnostic> errors;
  scriptc::CompileScript(script, scriptc::GlyphSet{}, &compiled, &errors);
  return errors.empty() ? std::string() : errors.front().message;
}

TEST(ScriptCompilerTrapTest, DirectionsKeepToTheFourAxesAndTexturesToTheWorldsOwn) {
  EXPECT_EQ(Refusal("#53,#54,3,4,0,#54,0,0,90,#55,1,2,28,26,#56,180,16,#56,270,0,#99,@"), "");
  EXPECT_EQ(Refusal("#54,3,4,45,#99,@"), "direction 45 is out of range");
  EXPECT_EQ(Refusal("#56,360,8,#99,@"), "direction 360 is out of range");
  EXPECT_EQ(Refusal("#55,1,2,35,26,#99,@"), "texture 35 is out of range");
  EXPECT_EQ(Refusal("#55,1,2,28,35,#99,@"), "texture 35 is out of range");
}

}  // namespace
