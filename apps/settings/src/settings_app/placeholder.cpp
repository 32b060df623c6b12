namespace settings {}
