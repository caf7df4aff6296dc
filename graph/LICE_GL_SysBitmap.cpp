#include "graph/LICE_GL_SysBitmap.h"

#include <GL/glew.h>

LICE_GL_SysBitmap::LICE_GL_SysBitmap(int width, int height)
{
  if (width > 0 && height > 0)
    resize(width, height);
}

LICE_GL_SysBitmap::~LICE_GL_SysBitmap() { Release(); }

void LICE_GL_SysBitmap::Release()
{
  if (mFramebuffer != 0)
  {
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    if (static_cast<unsigned>(bound) == mFramebuffer)
      glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDeleteFramebuffersEXT(1, &mFramebuffer);
  }
  if (mColorBuffer != 0)
    glDeleteRenderbuffersEXT(1, &mColorBuffer);
  if (mDepthStencilBuffer != 0)
    glDeleteRenderbuffersEXT(1, &mDepthStencilBuffer);
  mFramebuffer = mColorBuffer = mDepthStencilBuffer = 0;
}

bool LICE_GL_SysBitmap::resize(int width, int height)
{
  Release();
  mWidth = width > 0 ? width : 0;
  mHeight = height > 0 ? height : 0;
  mBits.assign(static_cast<size_t>(mWidth) * mHeight, 0);
  if (mWidth == 0 || mHeight == 0 || glGenFramebuffersEXT == nullptr)
    return false;

  glGenRenderbuffersEXT(1, &mColorBuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, mColorBuffer);
  glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, mWidth, mHeight);
  glGenRenderbuffersEXT(1, &mDepthStencilBuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, mDepthStencilBuffer);
  glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, mWidth, mHeight);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);

  glGenFramebuffersEXT(1, &mFramebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mFramebuffer);
  glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, mColorBuffer);
  glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, mDepthStencilBuffer);
  glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               mDepthStencilBuffer);
  const bool complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  if (!complete)
  {
    Release();
    return false;
  }
  return true;
}

bool LICE_GL_SysBitmap::BindFramebuffer()
{
  if (mFramebuffer == 0)
    return false;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mFramebuffer);
  glViewport(0, 0, mWidth, mHeight);
  return true;
}

void LICE_GL_SysBitmap::clear(LICE_pixel color)
{
  if (!BindFramebuffer())
    return;
  glClearColor(static_cast<float>(color & 255) / 255.0f, static_cast<float>((color >> 8) & 255) / 255.0f,
               static_cast<float>((color >> 16) & 255) / 255.0f, static_cast<float>((color >> 24) & 255) / 255.0f);
  glClearStencil(0);
  glStencilMask(0xffffffff);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

bool LICE_GL_SysBitmap::ReadBack()
{
  if (mFramebuffer == 0)
    return false;
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previous);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mFramebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(0, 0, mWidth, mHeight, GL_RGBA, GL_UNSIGNED_BYTE, mBits.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(previous));
  return true;
}
