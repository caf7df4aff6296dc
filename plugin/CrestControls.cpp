// The editor's layout.
#include "plugin/Crest.h"

#include "framework/IGraphics.h"
#include "view3d/CrestRender.h"

void Crest::CreateControls(IGraphics*, int, bool createGraph)
{
  if (!createGraph)
    return;
  GetParam(kGraph)->InitInt("Graph", 0, 0, 1);
  GetParam(kGraph)->SetIgnoreHostChanges(true);
  delete mView;
  mView = new CrestRender(this, mGraph, GetSampleRate());
}
