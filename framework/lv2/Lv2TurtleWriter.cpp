#include "framework/lv2/Lv2TurtleWriter.h"

#include "framework/IPlugBase.h"
#include "framework/PlugDescription.h"
#include "framework/lv2/IPlugLV2.h"
#include "framework/lv2/Lv2Uris.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/port-groups/port-groups.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace
{
std::string Iri(const std::string& uri) { return "<" + uri + ">"; }

std::string Literal(const std::string& text)
{
  std::string out = "\"";
  for (char c : text)
  {
    if (c == '"' || c == '\\')
      out += '\\';
    out += c;
  }
  return out + "\"";
}

// Numbers as Turtle decimals (integral ones as integers), so that the
// validator sees the literal types the schemas ask for.
std::string Number(double v, bool integral)
{
  char text[64];
  if (integral)
    std::snprintf(text, sizeof text, "%d", static_cast<int>(std::lround(v)));
  else
    std::snprintf(text, sizeof text, "%.6f", v);
  return text;
}

const char* UnitOf(const char* label)
{
  if (std::strcmp(label, "%") == 0)
    return LV2_UNITS__pc;
  if (std::strcmp(label, "\xC2\xB0") == 0)
    return LV2_UNITS__degree;
  return nullptr;
}

std::string Symbol(const char* name)
{
  std::string s;
  for (const char* p = name; *p; ++p)
  {
    const char c = *p;
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9' && !s.empty()) || c == '_')
      s += c;
    else if (c >= 'A' && c <= 'Z')
      s += static_cast<char>(c - 'A' + 'a');
    else if (!s.empty() && s.back() != '_')
      s += '_';
  }
  return s.empty() ? "param" : s;
}
} // namespace

Lv2TurtleWriter::Lv2TurtleWriter(IPlugBase* plug, std::string binary, std::string ttl)
  : mPlug(plug), mBinary(std::move(binary)), mTtl(std::move(ttl))
{
}

std::string Lv2TurtleWriter::Manifest() const
{
  std::ostringstream out;
  out << "# Written by the build from the plug-in's description.\n"
      << "@prefix lv2: " << Iri(LV2_CORE_PREFIX) << " .\n"
      << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
      << "@prefix ui: " << Iri(LV2_UI_PREFIX) << " .\n\n";
  for (const auto& c : GetPlugDescription().components)
    out << Iri(Lv2Uris::Plugin(c)) << "\n  a lv2:Plugin ;\n  lv2:binary <" << mBinary << "> ;\n  rdfs:seeAlso <"
        << mTtl << "> .\n\n";
  out << Iri(Lv2Uris::Ui()) << "\n  a ui:X11UI ;\n  ui:binary <" << mBinary << "> ;\n  rdfs:seeAlso <" << mTtl
      << "> .\n";
  return out.str();
}

std::string Lv2TurtleWriter::Description() const
{
  const PlugDescription& desc = GetPlugDescription();
  std::ostringstream out;
  out << "# Written by the build from the plug-in's description.\n"
      << "@prefix atom: " << Iri(LV2_ATOM_PREFIX) << " .\n"
      << "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
      << "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
      << "@prefix lv2: " << Iri(LV2_CORE_PREFIX) << " .\n"
      << "@prefix pg: " << Iri(LV2_PORT_GROUPS_PREFIX) << " .\n"
      << "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
      << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
      << "@prefix state: " << Iri(LV2_STATE_PREFIX) << " .\n"
      << "@prefix time: " << Iri(LV2_TIME_PREFIX) << " .\n"
      << "@prefix ui: " << Iri(LV2_UI_PREFIX) << " .\n"
      << "@prefix units: " << Iri(LV2_UNITS_PREFIX) << " .\n"
      << "@prefix urid: " << Iri(LV2_URID_PREFIX) << " .\n\n";
  for (int i = 0; i < static_cast<int>(desc.components.size()); ++i)
    out << Plugin(i);

  // The editor needs the plug-in object: hosts without instance-access
  // leave the UI out.
  out << Iri(Lv2Uris::Ui()) << "\n  a ui:X11UI ;\n  ui:binary <" << mBinary << "> ;\n"
      << "  lv2:requiredFeature ui:idleInterface , " << Iri(LV2_INSTANCE_ACCESS_URI) << " ;\n"
      << "  lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:noUserResize ;\n"
      << "  lv2:extensionData ui:idleInterface .\n";
  return out.str();
}

std::string Lv2TurtleWriter::Plugin(int component) const
{
  const PlugDescription& desc = GetPlugDescription();
  const PlugDescription::Component& c = desc.components[static_cast<size_t>(component)];
  const IPlugLV2::PortLayout layout{c.nIn, c.nOut, mPlug->NParams()};
  const bool stereo = c.nIn == 2;
  const std::string name = PlugComponentName(c);

  std::ostringstream out;
  const int minor = static_cast<int>((desc.version >> 8) & 0xFF), micro = static_cast<int>(desc.version & 0xFF);
  out << Iri(Lv2Uris::Plugin(c)) << "\n  a lv2:Plugin , lv2:AnalyserPlugin , doap:Project ;\n"
      << "  doap:name " << Literal(name) << " ;\n"
      << "  doap:maintainer [ foaf:name " << Literal(desc.makerName) << " ] ;\n"
      << "  lv2:minorVersion " << minor << " ;\n  lv2:microVersion " << micro << " ;\n"
      << "  lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
      << "  lv2:extensionData state:interface ;\n"
      << "  ui:ui " << Iri(Lv2Uris::Ui()) << " ;\n";

  auto audio = [&](int index, bool input, int ch) {
    const char* dir = input ? "in" : "out";
    std::ostringstream p;
    p << "[\n    a lv2:" << (input ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
      << "    lv2:index " << index << " ;\n";
    if (stereo)
      p << "    lv2:symbol \"" << dir << (ch == 0 ? "_l" : "_r") << "\" ;\n    lv2:name \""
        << (ch == 0 ? "Left " : "Right ") << (input ? "In" : "Out") << "\" ;\n    lv2:designation "
        << (ch == 0 ? "pg:left" : "pg:right") << "\n  ]";
    else
      p << "    lv2:symbol \"" << dir << "\" ;\n    lv2:name \"" << (input ? "In" : "Out") << "\"\n  ]";
    return p.str();
  };

  std::vector<std::string> ports;
  ports.reserve(static_cast<size_t>(layout.NPorts()));
  for (int ch = 0; ch < c.nIn; ++ch)
    ports.push_back(audio(layout.AudioIn(ch), true, ch));
  for (int ch = 0; ch < c.nOut; ++ch)
    ports.push_back(audio(layout.AudioOut(ch), false, ch));
  {
    std::ostringstream p;
    p << "[\n    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " << layout.Enabled()
      << " ;\n    lv2:symbol \"enabled\" ;\n    lv2:name \"Enabled\" ;\n"
      << "    rdfs:comment \"Master Bypass, inverted: 0 bypasses\" ;\n"
      << "    lv2:default 1 ;\n    lv2:minimum 0 ;\n    lv2:maximum 1 ;\n"
      << "    lv2:portProperty lv2:integer , lv2:toggled ;\n    lv2:designation lv2:enabled\n  ]";
    ports.push_back(p.str());
  }
  for (int i = 0; i < mPlug->NParams(); ++i)
    ports.push_back(ControlPort(layout.Param(i), i));
  {
    std::ostringstream p;
    p << "[\n    a lv2:InputPort , atom:AtomPort ;\n    atom:bufferType atom:Sequence ;\n"
      << "    atom:supports time:Position ;\n    lv2:index " << layout.Transport()
      << " ;\n    lv2:symbol \"transport\" ;\n    lv2:name \"Transport\" ;\n    lv2:designation lv2:control ;\n    lv2:portProperty lv2:connectionOptional\n  ]";
    ports.push_back(p.str());
  }
  out << "  lv2:port ";
  for (size_t i = 0; i < ports.size(); ++i)
    out << ports[i] << (i + 1 < ports.size() ? " , " : " .\n\n");
  return out.str();
}

std::string Lv2TurtleWriter::ControlPort(int index, int paramIdx) const
{
  const IParam* p = mPlug->GetParam(paramIdx);
  const bool integral = p->Type() != IParam::kTypeDouble;
  std::ostringstream out;
  out << "[\n    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " << index << " ;\n"
      << "    lv2:symbol " << Literal(Symbol(p->GetNameForHost())) << " ;\n"
      << "    lv2:name " << Literal(p->GetNameForHost()) << " ;\n"
      << "    lv2:default " << Number(p->GetDefault(), integral) << " ;\n"
      << "    lv2:minimum " << Number(p->GetMin(), integral) << " ;\n"
      << "    lv2:maximum " << Number(p->GetMax(), integral);
  if (integral)
  {
    const bool toggle = p->GetMin() == 0.0 && p->GetMax() == 1.0 && p->NDisplayTexts() == 0;
    out << " ;\n    lv2:portProperty lv2:integer";
    if (toggle)
      out << " , lv2:toggled";
    if (p->NDisplayTexts() > 0)
    {
      out << " , lv2:enumeration ;\n    lv2:scalePoint ";
      for (int i = 0; i < p->NDisplayTexts(); ++i)
      {
        const auto& [value, label] = p->GetDisplayText(i);
        out << "[ rdfs:label " << Literal(label) << " ; rdf:value " << value << " ]"
            << (i + 1 < p->NDisplayTexts() ? " , " : "");
      }
    }
  }
  if (const char* unit = UnitOf(p->GetLabelForHost()))
    out << " ;\n    units:unit " << Iri(unit);
  out << "\n  ]";
  return out.str();
}
