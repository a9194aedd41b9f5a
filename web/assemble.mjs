// Puts the page together as one file: the template with the style, the pictures, the wasm and
// the scripts inlined, and a Content-Security-Policy that allows exactly these and nothing more.
// usage: node assemble.mjs TITLE PICTURES_FOLDER QUELLARY_JS OUTPUT
import { createHash } from 'node:crypto';
import { readFileSync, readdirSync, writeFileSync } from 'node:fs';

const [title, folder, js, output] = process.argv.slice(2);
const own = (file) => readFileSync(new URL(file, import.meta.url), 'utf8');
const uri = (type, file) => `data:${type};base64,${readFileSync(`${folder}/${file}`).toString('base64')}`;
// Each picture as the page picks it: vector art, the bitmap at 1x, and at 2x.
const pictures = {};
for (const svg of readdirSync(folder).filter((file) => file.endsWith('.svg')).sort()) {
  const name = svg.slice(0, -4);
  pictures[name] = [uri('image/svg+xml', svg), uri('image/png', `${name}.png`), uri('image/png', `${name}@2x.png`)];
}
const wasm = readFileSync(js.replace(/\.js$/, '.wasm')).toString('base64');
const script = `const Pictures = ${JSON.stringify(pictures)};\nconst Wasm = "${wasm}";\n${own('page.js')}\n${readFileSync(js, 'utf8')}`;
const style = own('page.css');
const hash = (text) => `'sha256-${createHash('sha256').update(text).digest('base64')}'`;
const fill = {
  // Trusted Types: the browser itself refuses any text put into the page as HTML or script.
  POLICY: `default-src 'none'; script-src ${hash(script)} 'wasm-unsafe-eval'; style-src ${hash(style)}; ` +
    "img-src data:; require-trusted-types-for 'script'; trusted-types 'none'",
  TITLE: title,
  ICON: uri('image/png', 'quellary.png'),
  STYLE: style,
  SCRIPT: script,
};
writeFileSync(output, own('page.html').replace(/@([A-Z]+)@/g, (_, key) => fill[key]));
